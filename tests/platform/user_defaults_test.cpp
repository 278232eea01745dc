#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using OptString = std::optional<std::string>;

class UserDefaultsTest : public ::testing::Test {
 protected:
  void write(const std::string& domain, const std::string& json, bool binary = false) {
    test::writePlistWithPython(dir / ("kestrovel/preferences/" + domain + ".plist"), json, binary);
  }
  OptString stringFor(const UserDefaults& defaults, std::string_view key) {
    std::optional<plist::Value> v = defaults.objectForKey(key);
    return v && v->isString() ? OptString(v->str()) : std::nullopt;
  }

  test::TempDir dir;
  test::ScopedEnv config{"XDG_CONFIG_HOME", dir.path()};
};

TEST_F(UserDefaultsTest, SearchesApplicationThenSuitesThenGlobalDomain) {
  write("com.example.app", R"({"a": "app"})");
  write("suite.one", R"({"a": "one", "b": "one"})", true);
  write("suite.two", R"({"b": "two", "c": "two"})");
  write(".GlobalPreferences", R"({"a": "global", "c": "global", "AppleLocale": "de_CH"})", true);

  UserDefaults defaults("com.example.app");
  EXPECT_EQ(stringFor(defaults, "a"), "app");
  EXPECT_EQ(stringFor(defaults, "c"), "global");
  EXPECT_EQ(stringFor(defaults, "b"), std::nullopt);

  defaults.addSuiteNamed("suite.two");
  defaults.addSuiteNamed("suite.one");
  defaults.addSuiteNamed("suite.two");
  EXPECT_EQ(defaults.searchList(),
            (std::vector<std::string>{"com.example.app", "suite.two", "suite.one", ".GlobalPreferences"}));
  EXPECT_EQ(stringFor(defaults, "b"), "two");
  EXPECT_EQ(stringFor(defaults, "c"), "two");
  EXPECT_EQ(stringFor(defaults, "AppleLocale"), "de_CH");
  EXPECT_EQ(stringFor(defaults, "missing"), std::nullopt);
}

TEST_F(UserDefaultsTest, DictionaryForKeyTakesOnlyDictionaries) {
  write("suite", R"({"/k/": {"x": "1"}, "s": "text"})");
  UserDefaults defaults(std::nullopt);
  defaults.addSuiteNamed("suite");
  std::optional<plist::Value> d = defaults.dictionaryForKey("/k/");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->get("x")->str(), "1");
  EXPECT_FALSE(defaults.dictionaryForKey("s"));
  EXPECT_TRUE(defaults.objectForKey("s"));
}

TEST_F(UserDefaultsTest, UnreadableDomainsAreSkipped) {
  test::writeFile(dir / "kestrovel/preferences/broken.plist", "not a property list");
  write("array", R"(["a"])");
  write(".GlobalPreferences", R"({"k": "global"})");
  UserDefaults defaults("broken");
  defaults.addSuiteNamed("array");
  defaults.addSuiteNamed("absent");
  EXPECT_EQ(stringFor(defaults, "k"), "global");
}

TEST_F(UserDefaultsTest, FilesAreReadAtEachLookup) {
  UserDefaults defaults("app");
  EXPECT_FALSE(defaults.objectForKey("k"));
  write("app", R"({"k": "now"})");
  EXPECT_EQ(stringFor(defaults, "k"), "now");
}

TEST(PreferencesDirectory, FollowsXdgConfigHomeElseHome) {
  {
    test::ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(preferencesDirectory(), "/cfg/kestrovel/preferences");
  }
  test::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
  test::ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(preferencesDirectory(), "/home/someone/.config/kestrovel/preferences");
  test::ScopedEnv empty("XDG_CONFIG_HOME", "");
  EXPECT_EQ(preferencesDirectory(), "/home/someone/.config/kestrovel/preferences");
  // A relative value would make the preferences depend on the current directory.
  test::ScopedEnv relative("XDG_CONFIG_HOME", "cfg");
  EXPECT_EQ(preferencesDirectory(), "/home/someone/.config/kestrovel/preferences");
}

TEST(UserDirectories, FollowXdgOnlyForAbsolutePaths) {
  test::ScopedEnv home("HOME", "/home/someone");
  const struct {
    std::optional<std::string> value;
    std::string config, cache;
  } cases[] = {
      {"/x", "/x", "/x"},
      {std::nullopt, "/home/someone/.config", "/home/someone/.cache"},
      {"", "/home/someone/.config", "/home/someone/.cache"},
      {"x/y", "/home/someone/.config", "/home/someone/.cache"},
  };
  for (const auto& c : cases) {
    test::ScopedEnv config("XDG_CONFIG_HOME", c.value);
    test::ScopedEnv cache("XDG_CACHE_HOME", c.value);
    EXPECT_EQ(userConfigDirectory(), c.config) << c.value.value_or("(unset)");
    EXPECT_EQ(userCacheDirectory(), c.cache) << c.value.value_or("(unset)");
  }
}

}  // namespace
}  // namespace kvx::platform
