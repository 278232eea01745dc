// What the startup cache trusts, seen through the built launcher and the
// fake launch library: a cache folder or file that another user owns or may
// write, or that a link stands in for, means a start without the cache and a
// trace line, never a file made or removed where the link points. Cases that
// need another owner run as root, which may give files away.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
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

// The owner the tests give files away to: nobody.
constexpr uid_t kOtherUser = 65534;

void giveAway(const std::string& path) { ASSERT_EQ(lchown(path.c_str(), kOtherUser, kOtherUser), 0) << path; }

class StartupCacheTrust : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string home = layOutFakeRuntime(dir / "jdk", "17.0.2");
    writeFile(home + "/bin/java", "");
    app = layOutApp(dir.path(), "Foo",
                    dict({{"CFBundleIdentifier", str("com.example.cached")},
                          {"kvx.startupCache", plist::Value::boolean(true)},
                          {"JavaVM", dict({{"MainClass", str("Main")},
                                           {"ClassPath", str("${launcher:sys.appRootDir}/lib/app.jar")},
                                           {"SearchSequence", strings({"R" + home})}})}}));
    writeFile(app.appRoot + "/lib/app.jar", "classes");
  }

  // The start's cache trace lines; the start itself must succeed quietly.
  std::string cacheTrace(const std::string& cacheHome, const std::string& home) {
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", dir / "record"}, {"KVX_FAKE_JLI_EXIT", "0"},
                   {"KVX_FAKE_JLI_REENTER", std::nullopt},  {"KESTROVEL_LOG", "yes"},
                   {"HOME", home},                          {"XDG_CONFIG_HOME", dir / "config"},
                   {"JAVA_TOOL_OPTIONS", std::nullopt},     {"_JAVA_OPTIONS", std::nullopt},
                   {"CLASSPATH", std::nullopt},             {"XDG_CACHE_HOME", cacheHome.empty()
                                                                                  ? std::nullopt
                                                                                  : std::optional(cacheHome)}};
    ProgramResult result = runProgram(app.executable, {}, options);
    waitForCacheBuild(folder);
    EXPECT_EQ(result.status, 0) << result.err;
    std::string lines;
    for (size_t at = result.err.find("startup cache: "); at != std::string::npos;
         at = result.err.find("startup cache: ", at + 1)) {
      lines += result.err.substr(at, result.err.find('\n', at) - at) + "\n";
    }
    return lines;
  }

  TempDir dir;
  AppBundle app;
  std::string cacheHome = dir / "cache";
  std::string folder = cacheHome + "/kestrovel/com.example.cached";
  // A file named as a cache is, that no start may remove.
  std::string bait = "0123456789abcdef-0123456789abcdef.jsa";
};

TEST_F(StartupCacheTrust, AFolderOrFileNotPrivatelyThisUsersMeansNoCacheAndNothingTouched) {
  const bool root = geteuid() == 0;
  struct Case {
    const char* what;
    bool needsRoot;
    std::function<void()> plant;
    std::string expected;
  } cases[] = {
      {"an application folder anyone may write", false,
       [&] { fs::permissions(folder, fs::perms::all); }, "may be written by others"},
      {"an application folder that is a link", false,
       [&] {
         fs::remove_all(folder);
         fs::create_directories(dir / "elsewhere");
         writeFile(dir / ("elsewhere/" + bait), "theirs");
         fs::create_directory_symlink(dir / "elsewhere", folder);
       },
       ": not a folder (a link, or a file)"},
      {"a lock that is a link", false,
       [&] { fs::create_symlink(dir / "planted-target", folder + "/.lock"); }, "/.lock"},
      {"an application folder of another user", true, [&] { giveAway(folder); }, "belongs to another user"},
      {"the launcher's folder of another user in a shared cache", true,
       [&] {
         fs::permissions(cacheHome, fs::perms::all | fs::perms::sticky_bit);
         giveAway(cacheHome + "/kestrovel");
       },
       "belongs to another user"},
  };
  for (const Case& c : cases) {
    if (c.needsRoot && !root) continue;
    fs::remove_all(cacheHome);
    fs::create_directories(folder);
    fs::permissions(cacheHome, fs::perms::owner_all);
    fs::permissions(cacheHome + "/kestrovel", fs::perms::owner_all);
    fs::permissions(folder, fs::perms::owner_all);
    writeFile(folder + "/" + bait, "theirs");
    c.plant();

    std::string trace = cacheTrace(cacheHome, dir / "home");

    EXPECT_NE(trace.find("startup cache: none; "), std::string::npos) << c.what << "\n" << trace;
    EXPECT_NE(trace.find(c.expected), std::string::npos) << c.what << "\n" << trace;
    EXPECT_EQ(trace.find("DumpLoadedClassList"), std::string::npos) << c.what;
    EXPECT_TRUE(fs::exists(fs::path(folder) / bait)) << c.what << ": a file there was removed";
    EXPECT_FALSE(fs::exists(dir / "planted-target")) << c.what << ": a file was made through the link";
  }
}

TEST_F(StartupCacheTrust, AFinishedCacheOfAnotherOwnerIsNeverUsed) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
  std::string first = cacheTrace(cacheHome, dir / "home");
  size_t at = first.find("recording the classes for ");
  ASSERT_NE(at, std::string::npos) << first;
  // What a finished cache of the same key would be called, given to another user.
  std::string key = first.substr(at + 26, 16);
  std::string planted = folder + "/" + key + "-0000000000000000.jsa";
  writeFile(planted, "foreign bytes");
  giveAway(planted);

  std::string trace = cacheTrace(cacheHome, dir / "home");

  EXPECT_EQ(trace.find("startup cache: using"), std::string::npos) << trace;
  EXPECT_NE(trace.find("not used"), std::string::npos) << trace;
  EXPECT_TRUE(fs::exists(planted)) << "another user's file is not removed";
}

TEST_F(StartupCacheTrust, RootWithAnotherUsersHomeLeavesThatHomeAlone) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  const std::string home = dir / "home-of-another";
  fs::create_directories(home + "/.cache");
  giveAway(home);
  giveAway(home + "/.cache");

  std::string trace = cacheTrace("", home);

  EXPECT_NE(trace.find("startup cache: none; " + home + "/.cache: belongs to another user"), std::string::npos)
      << trace;
  EXPECT_TRUE(fs::is_empty(home + "/.cache"));
}

}  // namespace
}  // namespace kvx::test
