#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/version_strings.h"

namespace kvx {
namespace {

TEST(TypeOfCharacter, ClassifiesByFirstCharacter) {
  struct Case {
    std::string text;
    int64_t expected;
  };
  const Case cases[] = {
      {".", 2}, {"-", 2}, {"_", 2}, {",", 2}, {"/", 2}, {":", 2}, {"(", 2}, {")", 2},
      {" ", 2}, {"\n", 2}, {"\r", 2},
      {"+", 1}, {"$", 1}, {"^", 1}, {"|", 1}, {"~", 1}, {"<", 1}, {"=", 1}, {">", 1},
      {"a", 1}, {"Z", 1}, {"\t", 1}, {std::string(1, '\0'), 1},
      {"0", 0}, {"9", 0}, {"17", 0}, {"8a", 0}, {"a8", 1}, {".x", 2},
      // Outside ASCII: Arabic-Indic and fullwidth digits, no-break and
      // ideographic spaces, line separator, NEL, en dash, CJK full stop,
      // inverted question mark, plus-minus (a symbol), e acute, a letter
      // beyond the Basic Multilingual Plane and a digit there, a malformed byte.
      {"\u0663", 0}, {"\uFF15", 0}, {"\u00A0", 2}, {"\u3000", 2}, {"\u2028", 2},
      {"\u0085", 2}, {"\u2013", 2}, {"\u3002", 2}, {"\u00BF", 2}, {"\u00B1", 1},
      {"\u00E9", 1}, {"\U0001F600", 1}, {"\U0001D7CE", 1}, {"\xFF", 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(version::typeOfCharacter(c.text), c.expected) << "\"" << c.text << "\"";
}

TEST(SplitVersionString, CutsIntoRunsAndSingleSeparators) {
  using List = std::vector<std::string>;
  EXPECT_EQ(version::splitVersionString("1.8.0_202"), (List{"1", ".", "8", ".", "0", "_", "202"}));
  EXPECT_EQ(version::splitVersionString("17.0.2+8"), (List{"17", ".", "0", ".", "2", "+", "8"}));
  EXPECT_EQ(version::splitVersionString("11.0.1-beta2"),
            (List{"11", ".", "0", ".", "1", "-", "beta", "2"}));
  EXPECT_EQ(version::splitVersionString("  "), (List{" ", " "}));
  EXPECT_EQ(version::splitVersionString("--x"), (List{"-", "-", "x"}));
  EXPECT_EQ(version::splitVersionString("1+~a"), (List{"1", "+~a"}));
  // Multi-byte characters stay whole inside their tokens.
  EXPECT_EQ(version::splitVersionString("\u0661\u0662\u00E9\u2013x"),
            (List{"\u0661\u0662", "\u00E9", "\u2013", "x"}));
  EXPECT_TRUE(version::splitVersionString(std::nullopt).empty());
  EXPECT_TRUE(version::splitVersionString("").empty());
}

// Each pair is checked both ways round, so that the comparison is seen to be
// antisymmetric as a sort needs it to be.
TEST(CompareVersion, OrdersTokenByToken) {
  struct Case {
    OptString a;
    OptString b;
    int64_t expected;
  };
  const Case cases[] = {
      {"1.8.0_202", "1.8.0_45", 1},
      {"11.0.2", "1.8.0", 1},
      {"1.8.0", "1.8.0_202", -1},
      {"17", "17-ea", -1},
      {"17", "17ea", 1},
      {"1.8.0-ea", "1.8.0_202", -1},
      {"1.8", "1_8", 0},
      {"17.0.2+8", "17.0.2", -1},
      {"17.jdk", "11.jdk", 1},
      {"17.0.2.jdk", "17.jdk", 1},
      {std::nullopt, std::nullopt, 0},
      {std::nullopt, "", 0},
      {"", "1", -1},
      {"", "ea", 1},
      {"1.8.0_202", "1.8.0.202", 0},
      {"1.8.0_202", "1-8-0-202", 0},
      {"1.08", "1.8", 0},
      {"17.0.2+8", "17.0.2.1", -1},
      {"17.0.2-B", "17.0.2-a", -1},
      {"jdk", "jre", -1},
      {"abc", "ab", 1},
      // Digit runs past the 64-bit range read as its largest value.
      {"99999999999999999999", "9223372036854775807", 0},
      {"99999999999999999999", "9223372036854775806", 1},
      {"9223372036854775808", "9223372036854775807", 0},
      // Digits of other scripts count by their value.
      {"\u0661\u0667", "17", 0},
      {"\uFF12\uFF11", "17", 1},
      // Text compares by UTF-16 code unit: a character beyond the Basic
      // Multilingual Plane (a surrogate pair) sorts below U+FF21.
      {"\U0001F600", "\uFF21", -1},
      {"\u00E9", "z", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.value_or("(null)") + " vs " + c.b.value_or("(null)"));
    EXPECT_EQ(version::compareVersion(c.a, c.b), c.expected);
    EXPECT_EQ(version::compareVersion(c.b, c.a), -c.expected);
  }
}

TEST(RemoveJrePrefix, DropsEachPrefixAtMostOnceInOrder) {
  const std::pair<std::string, std::string> cases[] = {
      {"openjdk-17.jdk", "17.jdk"},         {"openjdk17.jdk", "17.jdk"},
      {"jdk-11.0.2.jdk", "11.0.2.jdk"},     {"jdk1.8.0_202.jdk", "1.8.0_202.jdk"},
      {"jre1.8.0_202.jre", "1.8.0_202.jre"}, {"openjdk-jdk-17", "17"},
      {"custom-17.jdk", "custom-17.jdk"},   {"JDK-17", "JDK-17"},
      {"jdkjdk8", "jdk8"},                  {"openjdk-openjdk-8", "-8"},
      {"jdk-jre-8", "-8"},                   {"openjdkjdk8", "8"},
      {"", ""},                             {"jdk", ""},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(version::removeJrePrefix(name), expected) << name;
}

TEST(RangeTest, ComparesOnlyTheLimitsComponents) {
  struct Case {
    OptString limit;
    std::vector<std::string> version;
    bool max;
    bool expected;
  };
  const Case cases[] = {
      {std::nullopt, {"1", "8"}, false, true},
      {"", {}, false, true},
      {"", {}, true, true},
      {"1.8", {}, false, false},
      {"1.8", {}, true, true},
      {"21", {"21", "0", "1"}, true, true},
      {"1.8", {"1", "8", "0", "202"}, true, true},
      {"1.8", {"17", "0", "2"}, true, false},
      {"1.7.0", {"1", "7"}, false, true},
      {"1.7.0_10", {"1", "7"}, false, false},
      {"1..8", {"1", "0", "8"}, false, true},
      {"1..8", {"1", "1"}, false, true},
      {"1..8", {"1", "0", "7"}, false, false},
      // Components read as their leading number: 08 is 8, 12b is 12, b08 is 0.
      {"1.08", {"1", "8"}, false, true},
      {"1.08", {"1", "8"}, true, true},
      {"12", {"12b"}, true, true},
      {"1", {"b08"}, false, false},
      {"17+8", {"17", "9"}, true, false},
      {"17-ea", {"17", "0"}, false, true},
  };
  for (const Case& c : cases) {
    std::string list;
    for (const std::string& part : c.version) list += part + ",";
    EXPECT_EQ(version::compareVersion(c.limit, c.version, c.max), c.expected)
        << c.limit.value_or("(null)") << (c.max ? " max " : " min ") << "[" << list << "]";
  }
}

TEST(RangeTest, MinimumAndMaximumTogetherAreInclusive) {
  auto inRange = [](const std::vector<std::string>& v) {
    return version::compareVersion(OptString("1.8"), v, false) &&
           version::compareVersion(OptString("21"), v, true);
  };
  EXPECT_TRUE(inRange({"1", "8", "0", "202"}));
  EXPECT_TRUE(inRange({"17", "0", "2"}));
  EXPECT_TRUE(inRange({"21", "0", "1"}));
  EXPECT_FALSE(inRange({"1", "7"}));
  EXPECT_FALSE(inRange({"22"}));
}

TEST(IsBetaVersion, FindsMarkersAnywhereCaseSensitively) {
  const std::pair<OptString, bool> cases[] = {
      {std::nullopt, false}, {"", false},       {"11-ea", true},   {"9-beta", true},
      {"1.8.0-rc1", true},   {"Release", true}, {"1.8.0-ea", true}, {"BETA", false},
      {"EA", false},         {"RC", false},     {"17.0.2+8", false},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(version::isBetaVersion(text), expected) << text.value_or("(null)");
}

}  // namespace
}  // namespace kvx
