#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "base/utf.h"

namespace kvx {
namespace {

TEST(UnicodeText, Utf8Validity) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain -Xmx1g", true},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", true},  // 2, 3 and 4 bytes
      {std::string("nul\0inside", 10), true},
      {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
      {"\xED\x9F\xBF", true},      // U+D7FF, just below the surrogates
      {"caf\xE9", false},          // Latin-1
      {"\xC3", false},             // cut short
      {"\xE2\x82", false},
      {"\x80", false},               // stray continuation byte
      {"\xC0\xAF", false},           // overlong "/"
      {"\xC1\xBF", false},
      {"\xE0\x80\xAF", false},       // overlong, three bytes
      {"\xF0\x80\x80\xAF", false},   // overlong, four bytes
      {"\xED\xA0\x80", false},       // U+D800
      {"\xED\xBF\xBF", false},       // U+DFFF
      {"\xF4\x90\x80\x80", false},   // U+110000
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"\xE2\x28\xA1", false},       // bad second byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(isValidUtf8(c.bytes), c.valid);
  }
}

TEST(UnicodeText, TrimsTabAndSpaceSeparatorsOnly) {
  struct Case {
    std::string text;
    std::string trimmed;
  };
  const Case cases[] = {
      {" \t-Xmx1g\t ", "-Xmx1g"},
      {"\xC2\xA0\xE1\x9A\x80\xE2\x80\x80\xE2\x80\x8A\xE2\x80\xAF\xE2\x81\x9F\xE3\x80\x80x"
       "\xE3\x80\x80\xE2\x80\x85",
       "x"},
      {"a \xE3\x80\x80 b", "a \xE3\x80\x80 b"},  // inner blanks stay
      {"\xE2\x80\x8Bx\xE2\x80\x8B", "\xE2\x80\x8Bx\xE2\x80\x8B"},  // U+200B is no space
      {"\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},                            // nor U+FEFF
      {"\vx\f", "\vx\f"},                                            // nor other controls
      {" \t\xC2\xA0", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(trimBlanks(c.text), c.trimmed);
  }
}

}  // namespace
}  // namespace kvx
