// "%@" descriptions as they appear in the trace.
#include <gtest/gtest.h>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

TEST(PlistDescribe, NestedValueInThePlatformsStyle) {
  Value v = Value::dictionary({
      {"JavaVM", Value::dictionary({
                     {"VMOptionArray", Value::array({Value::string("-Xmx1g"),
                                                     Value::string("-Dname=two words"),
                                                     Value::array({})})},
                     {"MainClass", Value::string("com.example.Main")},
                 })},
      {"CFBundleName", Value::string("")},
      {"count", Value::integer(-3)},
      {"big", Value::unsignedInteger(UINT64_MAX)},
      {"ratio", Value::real(0.25)},
      {"yes", Value::boolean(true)},
      {"blob", Value::data(std::string("\x00\x01\xAB\xCD\xEF", 5))},
      {"when", Value::date(730902896)},
      {"a \"quoted\" key", Value::string("line\nbreak")},
  });
  EXPECT_EQ(describe(v),
            "{\n"
            "    CFBundleName = \"\";\n"
            "    JavaVM = {\n"
            "        MainClass = com.example.Main;\n"
            "        VMOptionArray = (\n"
            "            -Xmx1g,\n"
            "            \"-Dname=two words\",\n"
            "            (\n"
            "            )\n"
            "        );\n"
            "    };\n"
            "    \"a \\\"quoted\\\" key\" = \"line\\nbreak\";\n"
            "    big = 18446744073709551615;\n"
            "    blob = <0001abcd ef>;\n"
            "    count = -3;\n"
            "    ratio = 0.25;\n"
            "    when = 2024-02-29 12:34:56 +0000;\n"
            "    yes = 1;\n"
            "}");
}

TEST(PlistDescribe, TopLevelValuesAndAbsence) {
  EXPECT_EQ(describe(Value::string("two words")), "two words");
  EXPECT_EQ(describe(static_cast<const Value*>(nullptr)), "(null)");
  EXPECT_EQ(describe(std::optional<std::string>()), "(null)");
  EXPECT_EQ(describe(std::optional<std::string>("")), "");
  EXPECT_EQ(describe(std::vector<std::string>{"-Xss1m", "a b"}), "(\n    -Xss1m,\n    \"a b\"\n)");
  EXPECT_EQ(describe(std::vector<std::string>{}), "(\n)");
  // Dates before 2001 and fractions of a second round down.
  EXPECT_EQ(describe(Value::date(-978307200)), "1970-01-01 00:00:00 +0000");
  EXPECT_EQ(describe(Value::date(-0.5)), "2000-12-31 23:59:59 +0000");
}

}  // namespace
}  // namespace kvx::plist
