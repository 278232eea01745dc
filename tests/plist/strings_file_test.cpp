#include "plist/strings_file.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "test_support/temp_dir.h"

namespace kvx::plist {
namespace {

StringsTable parseOrFail(std::string_view bytes) {
  std::string error;
  std::optional<StringsTable> table = parseStringsFile(bytes, &error);
  EXPECT_TRUE(table) << error;
  return table.value_or(StringsTable{});
}

TEST(StringsFile, ReadsTheOldStyleFormWithCommentsAndEscapes) {
  StringsTable table = parseOrFail(R"(
/* A block comment, "with quotes" = and; signs */
"plain" = "Java %@ is needed";   // a line comment
"escapes" = "a\nb\tc \"q\" back\\slash \U00e9 \101";
'single' = 'it\'s';
unquoted.key-1 = value/with:colon;
"keyOnly";
"plain" = "the later entry wins";
"multi
line" = "ü direct UTF-8";
)");
  EXPECT_EQ(table["plain"], "the later entry wins");
  EXPECT_EQ(table["escapes"], "a\nb\tc \"q\" back\\slash \u00e9 A");
  EXPECT_EQ(table["unquoted.key-1"], "value/with:colon");
  EXPECT_EQ(table["keyOnly"], "keyOnly");
  EXPECT_EQ(table["multi\nline"], "\u00fc direct UTF-8");
  EXPECT_EQ(table["single"], "it's");
}

TEST(StringsFile, AcceptsTheDictionaryBraces) {
  StringsTable table = parseOrFail("{ \"a\" = \"1\"; b = 2; }\n");
  EXPECT_EQ(table, (StringsTable{{"a", "1"}, {"b", "2"}}));
}

std::string utf16(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

TEST(StringsFile, DecodesEachEncodingToTheSameTable) {
  // U+1F600 lies outside the basic plane: a surrogate pair in UTF-16 and in \U escapes.
  const StringsTable expected{{"k\u00e4y", "Gr\u00fc\u00dfe \U0001F600"}, {"e", "\U0001F600"}};
  const std::u16string text = u"\"k\u00e4y\" = \"Gr\u00fc\u00dfe \U0001F600\"; \"e\" = \"\\UD83D\\UDE00\";";
  const std::string utf8 = "\"k\u00e4y\" = \"Gr\u00fc\u00dfe \U0001F600\"; \"e\" = \"\\UD83D\\UDE00\";";
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF-8", utf8},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
      {"UTF-16LE", utf16(text, false)},
      {"UTF-16BE", utf16(text, true)},
  };
  for (const auto& c : cases) EXPECT_EQ(parseOrFail(c.bytes), expected) << c.name;
}

TEST(StringsFile, BrokenUtf16BecomesReplacementCharacters) {
  // A lone high surrogate, a lone low one, an odd trailing byte.
  std::string bytes = utf16(u"a", false) + std::string("\x3D\xD8", 2) + "b" + std::string(1, '\0') +
                      std::string("\x00\xDC", 2) + "Z";
  EXPECT_EQ(decodeText(bytes), "a\uFFFDb\uFFFD\uFFFD");
}

TEST(StringsFile, ReportsSyntaxErrorsWithTheirLine) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"\"a\" = \"1\"\n\"b\" = \"2\";", "line 2: expected ';'"},
      {"\"a\" = \"1;\n", "line 2: unterminated string"},
      {"\"a\" = \"1\"; /* open", "line 1: unterminated comment"},
      {"\"a\" = ;", "line 1: expected a string"},
      {"\"a\" =", "line 1: unexpected end of file"},
      {"{ \"a\" = \"1\";", "line 1: missing '}' at the end"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parseStringsFile(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.reason) << c.text;
  }
}

TEST(StringsFile, ReadsPropertyListStringsFiles) {
  const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
  <key>AppleJavaMinVersionError</key><string>Java %@ &amp; more</string>
  <key>count</key><integer>3</integer>
</dict></plist>)";
  // Entries that are not text are left out; the others stay usable.
  EXPECT_EQ(parseOrFail(xml), (StringsTable{{"AppleJavaMinVersionError", "Java %@ & more"}}));

  // The binary form, written by an independent implementation.
  test::TempDir dir;
  std::string path = dir / "Localizable.strings";
  std::string command = "python3 -c \"import plistlib,sys; sys.stdout.buffer.write(plistlib.dumps("
                        "{'k': 'v\\u00e4', 'torqa.InternalError': 'Error: %@'}, "
                        "fmt=plistlib.FMT_BINARY))\" > " + path;
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(parseOrFail(test::readFileOrMissing(path)),
            (StringsTable{{"k", "v\u00e4"}, {"torqa.InternalError", "Error: %@"}}));

  std::string error;
  EXPECT_FALSE(parseStringsFile("<plist version=\"1.0\"><array/></plist>", &error));
  EXPECT_EQ(error, "the property list's root is not a dictionary");
}

}  // namespace
}  // namespace kvx::plist
