// What the launcher hands the runtime when an application asks for a startup
// cache, seen through the fake launch library: which cache options each
// runtime version gets, and that nothing changes for a configuration that
// does not ask.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/startup_cache_wait.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class StartupCacheOptions : public ::testing::Test {
 protected:
  AppBundle layOut(const plist::Dictionary& topLevel, const std::string& searchEntry) {
    plist::Dictionary info = topLevel;
    info.emplace_back("CFBundleIdentifier", str("com.example.cached"));
    info.emplace_back("JavaVM", dict({{"MainClass", str("Main")},
                                      {"ClassPath", str("${launcher:sys.appRootDir}/lib/app.jar")},
                                      {"SearchSequence", strings({searchEntry})}}));
    AppBundle app = layOutApp(dir.path(), "Foo", dict(std::move(info)));
    writeFile(app.appRoot + "/lib/app.jar", "classes");
    return app;
  }

  // The options the launcher placed before the application's own class path.
  Strings cacheOptionsOf(const AppBundle& app) {
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", record},      {"KVX_FAKE_JLI_EXIT", "0"},
                   {"KVX_FAKE_JLI_REENTER", std::nullopt}, {"KESTROVEL_LOG", std::nullopt},
                   {"XDG_CACHE_HOME", cacheHome},          {"XDG_CONFIG_HOME", dir / "config"},
                   {"JAVA_TOOL_OPTIONS", std::nullopt},    {"_JAVA_OPTIONS", std::nullopt},
                   {"CLASSPATH", std::nullopt}};
    fs::remove(record);  // the library adds to what it finds
    ProgramResult result = runProgram(app.executable, {}, options);
    waitForCacheBuild(folder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    Strings vector = recordedVector(recordLines(record));
    Strings before;
    for (size_t i = 1; i < vector.size() && !vector[i].starts_with("-Djava.class.path="); ++i) {
      before.push_back(vector[i]);
    }
    return before;
  }

  TempDir dir;
  std::string record = dir / "record";
  std::string cacheHome = dir / "cache";
  std::string folder = cacheHome + "/kestrovel/com.example.cached";
};

TEST_F(StartupCacheOptions, AConfigurationThatDoesNotAskGetsNoneAndNoFolder) {
  layOutFakeRuntime(dir / "jdk", "17.0.2");
  for (const plist::Value& setting : {plist::Value::boolean(false), str("NO")}) {
    AppBundle app = layOut({{"kvx.startupCache", setting}}, "R" + dir / "jdk");
    EXPECT_EQ(cacheOptionsOf(app), Strings{});
  }
  AppBundle app = layOut({}, "R" + dir / "jdk");
  EXPECT_EQ(cacheOptionsOf(app), Strings{});
  EXPECT_FALSE(fs::exists(cacheHome));
}

TEST_F(StartupCacheOptions, TheStartThatMakesACacheOnlyListsTheClassesItLoads) {
  for (const char* versionText : {"11.0.22", "16.0.2", "17.0.2", "21.0.1", "25.0.1"}) {
    const std::string version = versionText;
    std::string home = layOutFakeRuntime(dir / ("jdk-" + version), version);
    writeFile(home + "/bin/java", "");  // what would build the archive afterwards
    AppBundle app = layOut({{"kvx.startupCache", plist::Value::boolean(true)}}, "R" + home);

    Strings options = cacheOptionsOf(app);

    if (version == "11.0.22" || version == "16.0.2") {
      EXPECT_EQ(options, Strings{}) << version;
      continue;
    }
    // Nothing that quiets the runtime, unlocks options or could refuse to start.
    ASSERT_EQ(options.size(), 1u) << version << testing::PrintToString(options);
    EXPECT_TRUE(options[0].starts_with("-XX:DumpLoadedClassList=" + folder + "/")) << options[0];
    EXPECT_TRUE(options[0].ends_with(".making.classlist")) << options[0];
  }
}

TEST_F(StartupCacheOptions, AShippedPlainHomeIsJudgedByItsOwnVersion) {
  AppBundle app = layOut({{"kvx.startupCache", plist::Value::boolean(true)}}, "Rnowhere");
  std::string home = layOutFakeRuntime(app.appRoot + "/.kestrovel/jre", "17.0.9");
  writeFile(home + "/bin/java", "");

  Strings options = cacheOptionsOf(app);

  ASSERT_EQ(options.size(), 1u) << testing::PrintToString(options);
  EXPECT_TRUE(options[0].starts_with("-XX:DumpLoadedClassList=" + folder + "/")) << options[0];
  EXPECT_EQ(recordedValue(recordLines(record), "fullversion"), "1.7.0");
}

}  // namespace
}  // namespace kvx::test
