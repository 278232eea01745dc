// The startup cache on the machine's real runtimes: the built launcher in an
// application bundle starts the demo application, first making the cache,
// then using it, while the cache's files are changed, damaged or cannot be
// written, and with several first starts at once. The application must see
// and print the same either way.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kJdk25 = "/usr/lib/jvm/temurin-25-jdk-amd64";

bool hasRuntime(const std::string& home) { return fs::exists(home + "/lib/libjli.so"); }

class StartupCacheOnRealJdk : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(kJdk17 + "/bin/javac")) return;
    build = new TempDir();
    ProgramResult javac = runProgram(kJdk17 + "/bin/javac",
                                     {"--release", "17", "-d", *build / "classes", KVX_SOURCE_DIR "/demo/src/Demo.java"});
    ASSERT_EQ(javac.status, 0) << javac.err;
    ProgramResult jar = runProgram(kJdk17 + "/bin/jar", {"cf", *build / "demo.jar", "-C", *build / "classes", "."});
    ASSERT_EQ(jar.status, 0) << jar.err;
  }
  static void TearDownTestSuite() {
    delete build;
    build = nullptr;
  }

  void SetUp() override {
    if (build == nullptr) GTEST_SKIP() << "no JDK 17 with javac at " << kJdk17;
    if (!hasRuntime(GetParam())) GTEST_SKIP() << "no runtime at " << GetParam();
    app = layOut(GetParam());
  }

  AppBundle layOut(const std::string& jdk) {
    AppBundle laidOut = layOutApp(
        dir.path(), "Cached",
        dict({{"CFBundleName", str("Cached")},
              {"CFBundleIdentifier", str("com.example.cached")},
              {"kvx.startupCache", plist::Value::boolean(true)},
              {"kvx.allowPassthrough", plist::Value::boolean(true)},
              {"JavaVM", dict({{"MainClass", str("Demo")},
                               {"ClassPath", str("${launcher:sys.appRootDir}/lib/*")},
                               {"SearchSequence", strings({"R" + jdk})}})}}));
    fs::create_directories(laidOut.appRoot + "/lib");
    fs::copy_file(*build / "demo.jar", laidOut.appRoot + "/lib/demo.jar", fs::copy_options::overwrite_existing);
    return laidOut;
  }

  RunOptions options(bool traced) const {
    RunOptions o;
    // The virtual machine handles SIGSEGV itself and keeps its memory until exit.
    o.env = {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"},
             {"KESTROVEL_LOG", traced ? std::optional<std::string>("yes") : std::nullopt},
             {"XDG_CACHE_HOME", cacheHome},
             {"XDG_CONFIG_HOME", dir / "config"},
             {"JAVA_TOOL_OPTIONS", std::nullopt},
             {"_JAVA_OPTIONS", std::nullopt},
             {"JDK_JAVA_OPTIONS", std::nullopt},
             {"CLASSPATH", std::nullopt}};
    return o;
  }

  // A start as the user sees it: nothing but the application's own output.
  ProgramResult run(const Strings& args = {}) const { return runProgram(app.executable, args, options(false)); }

  // The same start with the trace on: checks that the application saw and
  // printed what it does without a cache, and gives the cache's trace lines.
  Strings tracedCacheLines(const Strings& args = {}) {
    ProgramResult result = runProgram(app.executable, args, options(true));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, outputWithoutCache()) << result.err;
    Strings lines;
    for (size_t at = result.err.find("startup cache: "); at != std::string::npos;
         at = result.err.find("startup cache: ", at + 1)) {
      lines.push_back(result.err.substr(at + 15, result.err.find('\n', at) - at - 15));
    }
    return lines;
  }

  // What the application prints when the launcher adds no cache, which a
  // user's own -Xshare:off makes sure of; the demo does not print the
  // runtime's options.
  const std::string& outputWithoutCache() {
    if (reference.empty()) {
      ProgramResult result = run({"-J-Xshare:off"});
      EXPECT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(result.err, "");
      reference = result.out;
    }
    return reference;
  }

  // The launcher's cache files in the application's folder.
  Strings cacheFiles() const {
    Strings names;
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored)) {
      std::string name = entry.path().filename().string();
      if (name != ".lock") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string cacheSuffix() const { return GetParam() == kJdk25 ? ".aot" : ".jsa"; }

  static bool contains(const Strings& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
  }

  static TempDir* build;
  TempDir dir;
  AppBundle app;
  std::string cacheHome = dir / "cache";
  std::string folder = cacheHome + "/kestrovel/com.example.cached";
  std::string reference;
};

TempDir* StartupCacheOnRealJdk::build = nullptr;

TEST_P(StartupCacheOnRealJdk, TheFirstStartMakesTheCacheAndTheSecondUsesIt) {
  Strings first = tracedCacheLines();
  EXPECT_TRUE(contains(first, "making " + folder + "/")) << testing::PrintToString(first);
  Strings files = cacheFiles();
  ASSERT_EQ(files.size(), 1u) << testing::PrintToString(files);
  const std::string cache = folder + "/" + files[0];
  EXPECT_TRUE(files[0].ends_with(cacheSuffix())) << files[0];
  EXPECT_TRUE(contains(first, "made " + cache)) << testing::PrintToString(first);

  Strings second = tracedCacheLines();
  EXPECT_EQ(second, Strings{"using " + cache + " (" +
                            (GetParam() == kJdk25 ? "ahead-of-time cache" : "dynamic archive") + ")"});
  EXPECT_EQ(cacheFiles(), files);

  ProgramResult quiet = run({"--exit=7"});
  EXPECT_EQ(quiet.status, 7);
  EXPECT_EQ(quiet.err, "");
}

TEST_P(StartupCacheOnRealJdk, AChangedJarOrOptionMakesANewCacheAndTheOldOneGoes) {
  struct Change {
    const char* what;
    Strings args;
    std::function<void()> apply;
  };
  const std::string jar = app.appRoot + "/lib/demo.jar";
  const Change changes[] = {
      {"a jar rebuilt", {}, [&] { fs::last_write_time(jar, fs::last_write_time(jar) + std::chrono::seconds(5)); }},
      {"an option", {"-J-Xss4m"}, [] {}},
  };
  tracedCacheLines();
  for (const Change& change : changes) {
    Strings before = cacheFiles();
    ASSERT_EQ(before.size(), 1u) << change.what;
    change.apply();
    Strings lines = tracedCacheLines(change.args);
    EXPECT_TRUE(contains(lines, "removed " + folder + "/" + before[0])) << change.what << testing::PrintToString(lines);
    Strings after = cacheFiles();
    ASSERT_EQ(after.size(), 1u) << change.what << testing::PrintToString(after);
    EXPECT_NE(after, before) << change.what;
    EXPECT_EQ(tracedCacheLines(change.args), Strings{"using " + folder + "/" + after[0] + " (" +
                                                     (GetParam() == kJdk25 ? "ahead-of-time cache" : "dynamic archive") + ")"})
        << change.what;
  }
}

TEST_P(StartupCacheOnRealJdk, ATruncatedCacheChangesNothingTheUserSees) {
  ASSERT_EQ(run().status, 0);
  Strings files = cacheFiles();
  ASSERT_EQ(files.size(), 1u);
  const std::string cache = folder + "/" + files[0];
  fs::permissions(cache, fs::perms::owner_write, fs::perm_options::add);
  fs::resize_file(cache, fs::file_size(cache) / 2);

  ProgramResult result = run();

  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, outputWithoutCache());
  // It was not used, and a whole one took its place.
  Strings now = cacheFiles();
  ASSERT_EQ(now.size(), 1u);
  EXPECT_NE(now, files);
  EXPECT_EQ(run().err, "");
}

TEST_P(StartupCacheOnRealJdk, ACacheFolderThatCannotBeWrittenChangesNothingTheUserSees) {
  // A file where the cache folder should go stops even a privileged user.
  writeFile(dir / "blocked", "");
  cacheHome = dir / "blocked";
  ProgramResult blocked = run();
  EXPECT_EQ(blocked.status, 0);
  EXPECT_EQ(blocked.err, "");
  EXPECT_EQ(blocked.out, outputWithoutCache());

  if (geteuid() == 0) return;  // permissions do not stop the superuser
  cacheHome = dir / "cache";
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  ProgramResult readOnly = run();
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(readOnly.status, 0);
  EXPECT_EQ(readOnly.err, "");
  EXPECT_EQ(readOnly.out, outputWithoutCache());
  EXPECT_EQ(cacheFiles(), Strings{});
}

TEST_P(StartupCacheOnRealJdk, FourFirstStartsAtOnceAllSucceedAndOneMakesTheCache) {
  const std::string& expectedOutput = outputWithoutCache();
  std::vector<std::unique_ptr<RunningProgram>> starts;
  for (int i = 0; i < 4; ++i) starts.push_back(std::make_unique<RunningProgram>(app.executable, Strings{}, options(false)));
  for (std::unique_ptr<RunningProgram>& start : starts) {
    ProgramResult result = start->wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, expectedOutput);
  }
  Strings files = cacheFiles();
  ASSERT_EQ(files.size(), 1u) << testing::PrintToString(files);
  EXPECT_TRUE(contains(tracedCacheLines(), "using " + folder + "/" + files[0]));
}

TEST_P(StartupCacheOnRealJdk, AStartKilledWhileItWritesTheCacheLeavesNothingALaterStartUses) {
  // The runtime writes at exit; the moment its file appears, the start is killed.
  RunningProgram start(app.executable, {}, options(false));
  std::string making;
  for (int waited = 0; making.empty() && waited < 60000; ++waited) {
    for (const std::string& name : cacheFiles()) {
      if (name.find(".making.") != std::string::npos) making = name;
    }
    if (making.empty()) usleep(1000);
  }
  ASSERT_FALSE(making.empty()) << "the runtime wrote nothing to kill it over";
  kill(start.pid(), SIGKILL);
  EXPECT_EQ(start.wait().status, 128 + SIGKILL);

  Strings lines = tracedCacheLines();
  EXPECT_FALSE(contains(lines, "using")) << testing::PrintToString(lines);
  EXPECT_TRUE(contains(lines, "making")) << testing::PrintToString(lines);
  Strings files = cacheFiles();
  EXPECT_EQ(std::count_if(files.begin(), files.end(),
                          [](const std::string& name) { return name.find(".making.") == std::string::npos; }),
            1)
      << testing::PrintToString(files);
}

TEST_P(StartupCacheOnRealJdk, AUsersXshareOffWins) {
  ProgramResult result = runProgram(app.executable, {"-J-Xshare:off"}, options(true));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("startup cache: none; the options decide class-data sharing themselves: -Xshare:off"),
            std::string::npos)
      << result.err;
  for (const char* added : {"arg -XX:SharedArchiveFile", "arg -XX:ArchiveClassesAtExit", "arg -XX:AOT", "arg -Xlog"}) {
    EXPECT_EQ(result.err.find(added), std::string::npos) << added;
  }
  EXPECT_EQ(cacheFiles(), Strings{});
}

INSTANTIATE_TEST_SUITE_P(Runtimes, StartupCacheOnRealJdk, ::testing::Values(kJdk17, kJdk25),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param == kJdk17 ? std::string("Jdk17") : std::string("Jdk25");
                         });

TEST(StartupCacheAcrossRuntimes, AnotherRuntimeMakesItsOwnCacheAndTheOldOneGoes) {
  if (!fs::exists(kJdk17 + "/bin/javac") || !hasRuntime(kJdk25)) GTEST_SKIP() << "needs JDK 17 and JDK 25";
  TempDir dir;
  writeFile(dir / "Hello.java", "public class Hello { public static void main(String[] a) { System.out.println(\"hello\"); } }\n");
  ASSERT_EQ(runProgram(kJdk17 + "/bin/javac", {"-d", dir / "classes", dir / "Hello.java"}).status, 0);
  ASSERT_EQ(runProgram(kJdk17 + "/bin/jar", {"cf", dir / "hello.jar", "-C", dir / "classes", "."}).status, 0);
  RunOptions options;
  options.env = {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}, {"KESTROVEL_LOG", std::nullopt},
                 {"XDG_CACHE_HOME", dir / "cache"}, {"JAVA_TOOL_OPTIONS", std::nullopt},
                 {"_JAVA_OPTIONS", std::nullopt}, {"CLASSPATH", std::nullopt}};
  const std::string folder = dir / "cache/kestrovel/com.example.hello";
  Strings seen;
  for (const std::string& jdk : {kJdk17, kJdk25}) {
    AppBundle app = layOutApp(dir.path(), "Hello",
                              dict({{"CFBundleIdentifier", str("com.example.hello")},
                                    {"kvx.startupCache", plist::Value::boolean(true)},
                                    {"JavaVM", dict({{"MainClass", str("Hello")},
                                                     {"ClassPath", str(dir / "hello.jar")},
                                                     {"SearchSequence", strings({"R" + jdk})}})}}));
    ProgramResult result = runProgram(app.executable, {}, options);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "hello\n");
    EXPECT_EQ(result.err, "");
    Strings files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename() != ".lock") files.push_back(entry.path().filename().string());
    }
    ASSERT_EQ(files.size(), 1u) << jdk << testing::PrintToString(files);
    EXPECT_TRUE(files[0].ends_with(jdk == kJdk25 ? ".aot" : ".jsa")) << files[0];
    seen.push_back(files[0]);
  }
  EXPECT_NE(seen[0], seen[1]);
}

}  // namespace
}  // namespace kvx::test
