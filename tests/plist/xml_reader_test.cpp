// The XML reader: the text forms each element accepts, and the documents it
// must refuse with a reason.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n" +
         body + "\n</plist>\n";
}

struct Accepted {
  std::string body;
  Value expected;
};

TEST(PlistXmlReader, ReadsEachElementsTextForms) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<Accepted> cases = {
      {"<integer>42</integer>", Value::integer(42)},
      {"<integer> -42\n</integer>", Value::integer(-42)},
      {"<integer>+7</integer>", Value::integer(7)},
      {"<integer>0x1F</integer>", Value::integer(31)},
      {"<integer>-0XfF</integer>", Value::integer(-255)},
      {"<integer>18446744073709551615</integer>", Value::unsignedInteger(UINT64_MAX)},
      {"<integer>-9223372036854775808</integer>", Value::integer(INT64_MIN)},
      {"<real>2.5</real>", Value::real(2.5)},
      {"<real>+1e3</real>", Value::real(1000)},
      {"<real>-inf</real>", Value::real(-inf)},
      {"<real>1e400</real>", Value::real(inf)},
      {"<real>1e-400</real>", Value::real(0)},
      {"<true/>", Value::boolean(true)},
      {"<false></false>", Value::boolean(false)},
      {"<string>  </string>", Value::string("  ")},
      {"<string/>", Value::string("")},
      {"<string>a &amp; &lt;b&gt; &#x263A;</string>", Value::string("a & <b> \xE2\x98\xBA")},
      {"<string><![CDATA[<raw>]]> tail</string>", Value::string("<raw> tail")},
      {"<string>line\r\nbreak</string>", Value::string("line\nbreak")},
      {"<date>2024-02-29T12:34:56Z</date>", Value::date(730902896)},
      {"<date>2001-01-01T00:00:00Z</date>", Value::date(0)},
      {"<date>1970-01-01Z</date>", Value::date(-978307200)},
      {"<data>\n  AAEC\n  /w==\n</data>", Value::data(std::string("\x00\x01\x02\xFF", 4))},
      {"<data>QQ</data>", Value::data("A")},
      {"<data></data>", Value::data("")},
      {"<array>\n <!-- a comment --> <string>a</string>\n <array/>\n</array>",
       Value::array({Value::string("a"), Value::array({})})},
      {"<dict><key>k</key><integer>1</integer><key>k</key><integer>2</integer>"
       "<key></key><dict/></dict>",
       Value::dictionary({{"k", Value::integer(2)}, {"", Value::dictionary({})}})},
  };
  for (const Accepted& c : cases) {
    SCOPED_TRACE(c.body);
    std::string error;
    std::optional<Value> value = parseXml(plist(c.body), &error);
    ASSERT_TRUE(value) << error;
    EXPECT_EQ(*value, c.expected) << describe(*value);
  }
}

TEST(PlistXmlReader, ReadsUtf16WithByteOrderMark) {
  std::string utf8 = plist("<string>\xC3\xA9t\xC3\xA9</string>");
  // Little-endian UTF-16 of an ASCII document with two-byte characters.
  std::string utf16 = "\xFF\xFE";
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\xC3') {
      utf16 += static_cast<char>(static_cast<unsigned char>(utf8[++i]) + 0x40);
    } else {
      utf16 += utf8[i];
    }
    utf16 += '\0';
  }
  std::string error;
  std::optional<Value> value = parse(utf16, &error);
  ASSERT_TRUE(value) << error;
  EXPECT_EQ(*value, Value::string("\xC3\xA9t\xC3\xA9"));
}

// The buffer is read to its given end and no further: the embedded
// configuration is parsed in place, in the middle of the executable.
TEST(PlistXmlReader, ReadsOnlyTheGivenBytes) {
  std::string document = plist("<string>abc</string>");
  std::string image = document + "<!-- whatever follows in memory";
  std::string error;
  std::optional<Value> value = parse(std::string_view(image.data(), document.size()), &error);
  ASSERT_TRUE(value) << error;
  EXPECT_EQ(*value, Value::string("abc"));
  std::string_view cut(document.data(), document.find("</plist>"));
  EXPECT_FALSE(parse(cut, &error));
}

struct Refused {
  std::string document;
  const char* reason;
};

std::string deeplyNested(int depth) {
  std::string body;
  for (int i = 0; i < depth; ++i) body += "<array>";
  for (int i = 0; i < depth; ++i) body += "</array>";
  return plist(body);
}

// Other encodings are read when the document says which; references to
// characters other than NUL keep working.
TEST(PlistXmlReader, ReadsDeclaredEncodingsAndCharacterReferences) {
  std::string error;
  std::optional<Value> latin = parseXml(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><string>caf\xE9</string></plist>", &error);
  ASSERT_TRUE(latin) << error;
  EXPECT_EQ(latin->str(), "caf\xC3\xA9");
  std::optional<Value> references = parseXml(plist("<string>a&#100;&#x41;&#0100;&#10;b</string>"), &error);
  ASSERT_TRUE(references) << error;
  EXPECT_EQ(references->str(), "adAd\nb");
}

TEST(PlistXmlReader, RefusesMalformedDocuments) {
  const std::vector<Refused> cases = {
      {plist("<string>x</plist>"), "at offset"},
      {"<?xml version=\"1.0\"?>", "No document element"},
      {"<?xml version=\"1.0\"?><dict/>", "not a <plist>"},
      {plist("").replace(plist("").find("\n</plist>"), 0, "</plist><plist>"), "more than one"},
      {plist(""), "holds no value"},
      {plist("<string/><string/>"), "more than one value"},
      {plist("text"), "unexpected text"},
      {plist("<foo/>"), "unknown element <foo>"},
      {plist("<key>k</key>"), "unknown element <key>"},
      {plist("<dict><key>a</key></dict>"), "<key> \"a\" has no value"},
      {plist("<dict><key>a</key><key>b</key><string/></dict>"), "<key> \"a\" has no value"},
      {plist("<dict><string>x</string></dict>"), "where a <key> belongs"},
      {plist("<dict>stray<key>a</key><true/></dict>"), "unexpected text in <dict>"},
      {plist("<array>text</array>"), "unexpected text in <array>"},
      {plist("<string>a<b/></string>"), "may not hold elements"},
      {plist("<true>x</true>"), "unexpected text in <true>"},
      {plist("<false><true/></false>"), "must be empty"},
      {plist("<string>Hel&#0;lo</string>"), "character reference to NUL"},
      {plist("<string>Hel&#x000;lo</string>"), "character reference to NUL"},
      {plist("<string>caf\xE9</string>"), "not valid UTF-8"},
      {plist("<integer>12a</integer>"), "malformed <integer>"},
      {plist("<integer></integer>"), "malformed <integer>"},
      {plist("<integer>0x</integer>"), "malformed <integer>"},
      {plist("<integer>18446744073709551616</integer>"), "malformed <integer>"},
      {plist("<integer>-9223372036854775809</integer>"), "malformed <integer>"},
      {plist("<real>1.5x</real>"), "malformed <real>"},
      {plist("<real></real>"), "malformed <real>"},
      {plist("<date>2024-02-30T00:00:00Z</date>"), "malformed <date>"},
      {plist("<date>2024-02-29T12:00:00</date>"), "malformed <date>"},
      {plist("<date>2024-02-29T24:00:00Z</date>"), "malformed <date>"},
      {plist("<data>AA=A</data>"), "malformed <data>"},
      {plist("<data>A</data>"), "malformed <data>"},
      {plist("<data>QQ=</data>"), "malformed <data>"},
      {plist("<data>A*==</data>"), "malformed <data>"},
      {deeplyNested(600), "nesting deeper"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.document);
    std::string error;
    std::optional<Value> value = parseXml(c.document, &error);
    EXPECT_FALSE(value) << describe(*value);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace kvx::plist
