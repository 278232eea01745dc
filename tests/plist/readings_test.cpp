// The boolean and integer readings of strings and values, and the checked
// access to configuration values that must be strings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/exception.h"
#include "plist/plist.h"

namespace kvx::plist {
namespace {

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kLongMin = std::numeric_limits<int64_t>::min();

TEST(PlistReadings, BooleanOfStrings) {
  const std::vector<std::pair<const char*, bool>> cases = {
      {"YES", true},   {"yes", true},  {"true", true},  {"T", true},     {"1", true},
      {" +0012", true}, {"-1", true},  {"\t y", true},  {"9 lives", true}, {"0001", true},
      {"NO", false},   {"no", false},  {"false", false}, {"0", false},   {"000", false},
      {"", false},     {" ", false},   {"+", false},    {"0x1", false},  {"- 1", false},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(boolValue(std::string_view(text)), expected) << '"' << text << '"';
    EXPECT_EQ(boolValue(Value::string(text)), expected) << '"' << text << '"';
  }
}

TEST(PlistReadings, IntegersOfStringsSaturate) {
  struct Case {
    const char* text;
    int32_t asInt;
    int64_t asInteger;
  };
  const std::vector<Case> cases = {
      {"12", 12, 12},
      {"08", 8, 8},
      {"12b", 12, 12},
      {"b08", 0, 0},
      {"", 0, 0},
      {"  -34abc", -34, -34},
      {"+5", 5, 5},
      {"- 5", 0, 0},
      {"1.9", 1, 1},
      {"2147483647", kIntMax, 2147483647},
      {"2147483648", kIntMax, 2147483648},
      {"-2147483648", kIntMin, -2147483648LL},
      {"-2147483649", kIntMin, -2147483649LL},
      {"9223372036854775807", kIntMax, kLongMax},
      {"9223372036854775808", kIntMax, kLongMax},
      {"-9223372036854775808", kIntMin, kLongMin},
      {"-99999999999999999999999", kIntMin, kLongMin},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(intValue(std::string_view(c.text)), c.asInt);
    EXPECT_EQ(integerValue(std::string_view(c.text)), c.asInteger);
    EXPECT_EQ(intValue(Value::string(c.text)), c.asInt);
    EXPECT_EQ(integerValue(Value::string(c.text)), c.asInteger);
  }
}

TEST(PlistReadings, OfNumbersAndBooleans) {
  struct Case {
    Value value;
    bool asBool;
    int32_t asInt;
    int64_t asInteger;
  };
  const double nan = std::nan("");
  const std::vector<Case> cases = {
      {Value::boolean(true), true, 1, 1},
      {Value::boolean(false), false, 0, 0},
      {Value::integer(0), false, 0, 0},
      {Value::integer(-1), true, -1, -1},
      {Value::integer(int64_t{1} << 40), true, kIntMax, int64_t{1} << 40},
      {Value::integer(-(int64_t{1} << 40)), true, kIntMin, -(int64_t{1} << 40)},
      {Value::unsignedInteger(UINT64_MAX), true, kIntMax, kLongMax},
      {Value::real(0.0), false, 0, 0},
      {Value::real(0.5), true, 0, 0},
      {Value::real(-3.9), true, -3, -3},
      {Value::real(1e300), true, kIntMax, kLongMax},
      {Value::real(-1e300), true, kIntMin, kLongMin},
      {Value::real(nan), true, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(describe(c.value));
    EXPECT_EQ(boolValue(c.value), c.asBool);
    EXPECT_EQ(intValue(c.value), c.asInt);
    EXPECT_EQ(integerValue(c.value), c.asInteger);
  }
}

TEST(PlistReadings, TypesWithoutTheReadingRaise) {
  for (const Value& v : {Value::array({}), Value::dictionary({}), Value::data("1"), Value::date(0)}) {
    SCOPED_TRACE(typeName(v.type()));
    try {
      boolValue(v);
      ADD_FAILURE() << "boolValue did not raise";
    } catch (const PlatformException& e) {
      EXPECT_NE(e.reason().find(typeName(v.type())), std::string::npos) << e.reason();
    }
    EXPECT_THROW(intValue(v), PlatformException);
    EXPECT_THROW(integerValue(v), PlatformException);
  }
}

TEST(PlistReadings, StringValuesKeepAbsentAndEmptyApart) {
  Value config = Value::dictionary({
      {"name", Value::string("Demo")},
      {"empty", Value::string("")},
      {"number", Value::integer(3)},
      {"options", Value::array({Value::string("-Xmx1g"), Value::string("")})},
      {"mixed", Value::array({Value::string("-Xmx1g"), Value::boolean(true)})},
  });
  EXPECT_EQ(stringValue(config.get("name"), "name"), "Demo");
  EXPECT_EQ(stringValue(config.get("empty"), "empty"), "");
  EXPECT_EQ(stringValue(config.get("missing"), "missing"), std::nullopt);
  EXPECT_EQ(stringArrayValue(config.get("options"), "options"),
            (std::vector<std::string>{"-Xmx1g", ""}));
  EXPECT_EQ(stringArrayValue(config.get("missing"), "missing"), std::nullopt);

  const std::vector<std::pair<const char*, const char*>> wrong = {
      {"number", "\"number\" is integer"},
      {"options", "\"options\" is array"},
  };
  for (const auto& [key, reason] : wrong) {
    try {
      stringValue(config.get(key), key);
      ADD_FAILURE() << key;
    } catch (const PlatformException& e) {
      EXPECT_NE(e.reason().find(reason), std::string::npos) << e.reason();
    }
  }
  try {
    stringArrayValue(config.get("mixed"), "mixed");
    ADD_FAILURE() << "mixed";
  } catch (const PlatformException& e) {
    EXPECT_NE(e.reason().find("Element 1 of \"mixed\" is boolean"), std::string::npos) << e.reason();
  }
  EXPECT_THROW(stringArrayValue(config.get("name"), "name"), PlatformException);
}

}  // namespace
}  // namespace kvx::plist
