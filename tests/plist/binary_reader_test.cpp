// The binary reader on hand-built documents: forms plistlib never writes,
// and damaged or hostile documents that must end in an error.
#include <gtest/gtest.h>

#include <cstdint>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

std::string bigEndian(uint64_t value, unsigned width) {
  std::string out;
  for (unsigned i = width; i-- > 0;) out += static_cast<char>(value >> (8 * i));
  return out;
}

// A document made of the given objects (their bytes as written, references
// included), numbered in order, with the given widths and top object.
std::string document(const std::vector<std::string>& objects, unsigned refSize = 1,
                     unsigned offsetSize = 1, uint64_t top = 0) {
  std::string out = "bplist00";
  std::string table;
  for (const std::string& object : objects) {
    table += bigEndian(out.size(), offsetSize);
    out += object;
  }
  uint64_t tableOffset = out.size();
  out += table;
  out += std::string(6, '\0');
  out += static_cast<char>(offsetSize);
  out += static_cast<char>(refSize);
  out += bigEndian(objects.size(), 8) + bigEndian(top, 8) + bigEndian(tableOffset, 8);
  return out;
}

std::string bytes(std::initializer_list<int> list) {
  std::string out;
  for (int b : list) out += static_cast<char>(b);
  return out;
}

Value read(const std::string& doc) {
  std::string error;
  std::optional<Value> value = parseBinary(doc, &error);
  EXPECT_TRUE(value) << error;
  return value.value_or(Value::string("<failed>"));
}

std::string refusal(const std::string& doc) {
  std::string error;
  std::optional<Value> value = parseBinary(doc, &error);
  EXPECT_FALSE(value) << describe(*value);
  EXPECT_FALSE(error.empty());
  return error;
}

TEST(PlistBinaryReader, ReadsFormsPlistlibDoesNotWrite) {
  // A four-byte real.
  EXPECT_EQ(read(document({bytes({0x22, 0x3F, 0xC0, 0x00, 0x00})})), Value::real(1.5));
  // Short integers are unsigned; the 8-byte form is signed.
  EXPECT_EQ(read(document({bytes({0x10, 0xFF})})), Value::integer(255));
  EXPECT_EQ(read(document({bytes({0x12, 0xFF, 0xFF, 0xFF, 0xFF})})), Value::integer(0xFFFFFFFF));
  // A 16-byte integer holding a sign-extended negative value.
  EXPECT_EQ(read(document({"\x14" + std::string(8, '\xFF') + bigEndian(uint64_t(-5), 8)})),
            Value::integer(-5));
  // One object referred to twice, two-byte references, three-byte offsets.
  EXPECT_EQ(read(document({bytes({0xA2, 0, 1, 0, 1}), bytes({0x51, 's'})}, 2, 3)),
            Value::array({Value::string("s"), Value::string("s")}));
  // The top object need not be the first.
  EXPECT_EQ(read(document({bytes({0x09}), bytes({0xA1, 0})}, 1, 1, 1)),
            Value::array({Value::boolean(true)}));
  // A repeated key keeps its later value.
  Value dict = read(document({bytes({0xD2, 1, 1, 2, 3}), bytes({0x51, 'k'}), bytes({0x10, 1}),
                              bytes({0x10, 2})}));
  ASSERT_EQ(dict.entries().size(), 1u);
  EXPECT_EQ(*dict.get("k"), Value::integer(2));
}

TEST(PlistBinaryReader, LoneSurrogatesBecomeReplacementCharacters) {
  // high alone, "A", low alone, then a high surrogate that ends the string
  std::string utf16 = bytes({0x64, 0xD8, 0x00, 0x00, 0x41, 0xDC, 0x00, 0xD8, 0x3D});
  EXPECT_EQ(read(document({utf16})), Value::string("\xEF\xBF\xBD" "A\xEF\xBF\xBD\xEF\xBF\xBD"));
}

struct Refused {
  const char* what;
  std::string doc;
  const char* reason;
};

std::string nestedArrays(int depth) {
  std::vector<std::string> objects;
  for (int i = 0; i < depth; ++i) objects.push_back(bytes({0xA1}) + bigEndian(i + 1, 2));
  objects.push_back(bytes({0x08}));
  return document(objects, 2, 4);
}

// Each array holds the next twice: a few hundred bytes naming 2^40 values.
std::string doublingArrays(int depth) {
  std::vector<std::string> objects;
  for (int i = 0; i < depth; ++i) objects.push_back(bytes({0xA2, i + 1, i + 1}));
  objects.push_back(bytes({0x51, 'x'}));
  return document(objects);
}

std::string withTrailerByte(std::string doc, size_t fromEnd, char value) {
  doc[doc.size() - fromEnd] = value;
  return doc;
}

TEST(PlistBinaryReader, RefusesDamagedAndHostileDocuments) {
  std::string small = document({bytes({0xA1, 1}), bytes({0x09})});
  std::string hugeCount = small;
  hugeCount.replace(hugeCount.size() - 24, 8, bigEndian(uint64_t{1} << 62, 8));
  const std::vector<Refused> cases = {
      {"empty", "", "too short"},
      {"other header", "bplist01" + small.substr(8), "header"},
      {"offset width 0", withTrailerByte(small, 26, 0), "offset width"},
      {"reference width 9", withTrailerByte(small, 25, 9), "reference width"},
      {"no objects", withTrailerByte(small, 17, 0), "no objects"},
      {"top beyond the objects", withTrailerByte(small, 9, 2), "top object"},
      {"table inside the header", withTrailerByte(small, 1, 4), "offset table"},
      {"table past the trailer", withTrailerByte(small, 1, 0x40), "offset table"},
      {"count that overflows the table", hugeCount, "offset table"},
      {"array holding itself", document({bytes({0xA1, 0})}), "contains itself"},
      {"cycle of two", document({bytes({0xA1, 1}), bytes({0xD1, 2, 0}), bytes({0x51, 'k'})}),
       "contains itself"},
      {"reference out of range", document({bytes({0xA1, 5})}), "reference 5 out of range"},
      {"offset into the table", document({bytes({0xA1, 1}), bytes({0x09})}).replace(12, 1, "\x0C"),
       "outside the object area"},
      {"key not a string", document({bytes({0xD1, 1, 1}), bytes({0x10, 1})}), "key is not a string"},
      {"string longer than the document", document({bytes({0x5F, 0x11, 0xFF, 0xFF, 'a'})}),
       "runs past"},
      {"array longer than the document", document({bytes({0xAF, 0x13}) + bigEndian(1ull << 61, 8)}),
       "runs past"},
      {"negative count", document({bytes({0x4F, 0x13}) + bigEndian(uint64_t(-1), 8)}),
       "negative count"},
      {"count not an integer", document({bytes({0x5F, 0x51, 'a'})}), "malformed count"},
      {"integer past the objects", document({bytes({0x13, 1, 2})}), "integer runs past"},
      {"32-byte integer", document({bytes({0x15}) + std::string(32, '\1')}), "unsupported width"},
      {"integer beyond 64 bits", document({"\x14" + bigEndian(1, 8) + bigEndian(0, 8)}),
       "beyond 64 bits"},
      {"two-byte real", document({bytes({0x21, 0, 0})}), "malformed real"},
      {"short date", document({bytes({0x33, 0, 0})}), "malformed date"},
      {"null", document({bytes({0x00})}), "null"},
      {"UID", document({bytes({0x80, 1})}), "UID"},
      {"set", document({bytes({0xC0})}), "sets"},
      {"unknown marker", document({bytes({0x70})}), "unknown object marker"},
      {"high byte in an ASCII string", document({bytes({0x51, 0xE9})}), "non-ASCII"},
      {"odd UTF-16 length", document({bytes({0x61, 0x00})}), "runs past"},
      {"deep nesting", nestedArrays(600), "nesting deeper"},
      {"shared references expanding without end", doublingArrays(40), "sane size"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NE(refusal(c.doc).find(c.reason), std::string::npos) << refusal(c.doc);
  }
}

Value sample() {
  Array items;
  for (int i = 0; i < 20; ++i) items.push_back(Value::integer(int64_t{1} << (3 * i)));
  return Value::dictionary({
      {"JavaVM", Value::dictionary({{"MainClass", Value::string("com.example.Main")},
                                    {"VMOptionArray", Value::array(std::move(items))}})},
      {"name", Value::string("d\xC3\xA9mo \xF0\x9F\x98\x80")},
      {"blob", Value::data(std::string(20, '\x7F'))},
      {"when", Value::date(7.5)},
      {"ratio", Value::real(0.25)},
      {"flag", Value::boolean(false)},
  });
}

TEST(PlistBinaryReader, RefusesEveryTruncation) {
  std::string whole = writeBinary(sample());
  ASSERT_EQ(read(whole), sample());
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    refusal(whole.substr(0, length));
  }
}

// Damage to the offset table and the trailer must end in a value or an
// error, whatever the bytes; memory checking builds catch stray reads.
TEST(PlistBinaryReader, SurvivesDamageToTableAndTrailer) {
  std::string whole = writeBinary(sample());
  size_t tableOffset = 0;
  for (int i = 0; i < 8; ++i) tableOffset = tableOffset << 8 | static_cast<unsigned char>(whole[whole.size() - 8 + i]);
  for (size_t pos = tableOffset; pos < whole.size(); ++pos) {
    for (int value : {0x00, 0x01, 0x07, 0x7F, 0x80, 0xFF, whole[pos] ^ 0x01, whole[pos] ^ 0x10}) {
      std::string damaged = whole;
      damaged[pos] = static_cast<char>(value);
      std::string error;
      std::optional<Value> parsed = parseBinary(damaged, &error);
      EXPECT_TRUE(parsed || !error.empty()) << pos;
    }
  }
}

}  // namespace
}  // namespace kvx::plist
