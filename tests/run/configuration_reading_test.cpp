#include <gtest/gtest.h>

#include <string>

#include "base/exception.h"
#include "run/run_state.h"

namespace kvx {
namespace {

using plist::Value;

Value str(const char* s) { return Value::string(s); }

// A run whose configuration is dictionary.
struct ConfiguredRun {
  explicit ConfiguredRun(Value dictionary) : configuration(std::move(dictionary)) {
    run.infoDictionary = &configuration;
  }
  Value configuration;
  RunState run;
};

TEST(ConfigurationReading, FlagsReadBooleansNumbersAndStringsAsThePlatformDoes) {
  const struct {
    Value value;
    bool expected;
  } cases[] = {
      {str("YES"), true},        {str("true"), true},      {str("1"), true},
      {str(" +0012"), true},     {str("y"), true},         {str("T"), true},
      {str("NO"), false},        {str("0"), false},        {str(""), false},
      {str("false"), false},     {str("-0"), false},       {str("on"), false},
      {Value::boolean(true), true}, {Value::boolean(false), false},
      {Value::integer(0), false},   {Value::integer(-2), true},
  };
  for (const auto& c : cases) {
    ConfiguredRun configured(Value::dictionary({{"kvx.allowBeta", c.value}}));
    EXPECT_EQ(configured.run.configFlag(config::kAllowBeta), c.expected) << plist::describe(c.value);
  }
  EXPECT_FALSE(ConfiguredRun(Value::dictionary({})).run.configFlag(config::kAllowBeta));
  EXPECT_FALSE(RunState().configFlag(config::kAllowBeta));
}

TEST(ConfigurationReading, EachKeyIsReadAtItsOwnPlace) {
  ConfiguredRun configured(Value::dictionary({
      {"MainClass", str("top.Wrong")},
      {"kvx.minVersion", str("17")},
      {"JavaVM", Value::dictionary({{"MainClass", str("app.Main")}, {"kvx.minVersion", str("99")},
                                    {"StartOnMainThread", Value::boolean(true)}})},
  }));
  EXPECT_EQ(configured.run.configString(config::kMainClass), "app.Main");
  EXPECT_EQ(configured.run.configString(config::kMinVersion), "17");
  EXPECT_TRUE(configured.run.configFlag(config::kStartOnMainThread));
  // A JavaVM that is no dictionary holds none of its keys.
  ConfiguredRun flat(Value::dictionary({{"JavaVM", str("app.Main")}}));
  EXPECT_EQ(flat.run.configString(config::kMainClass), std::nullopt);
}

TEST(ConfigurationReading, AValueOfAnotherTypeEndsTheStartOrCountsAsAbsentAsItsKeySays) {
  ConfiguredRun configured(Value::dictionary({
      {"kvx.minVersion", Value::integer(17)},
      {"kvx.startupCache", Value::array({})},
      {"CFBundleIdentifier", Value::integer(7)},
      {"kvx.service", Value::dictionary({})},
      {"JavaVM", Value::dictionary({{"ArgumentArray", str("--one")}})},
  }));
  const RunState& run = configured.run;
  try {
    (void)run.configString(config::kMinVersion);
    ADD_FAILURE() << "a number for kvx.minVersion was taken";
  } catch (const PlatformException& e) {
    EXPECT_EQ(e.reason(), "The value of \"kvx.minVersion\" is integer, not a string.");
  }
  EXPECT_THROW((void)run.configFlag(config::kStartupCache), PlatformException);
  EXPECT_THROW((void)run.configStrings(config::kArguments), PlatformException);
  EXPECT_EQ(run.configString(config::kIdentifier), std::nullopt);
  EXPECT_EQ(run.configString(config::kService), std::nullopt);
}

}  // namespace
}  // namespace kvx
