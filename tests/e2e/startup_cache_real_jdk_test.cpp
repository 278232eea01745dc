// The startup cache on the machine's real runtimes, judged by the one thing
// that matters: a start with the cache, the start that makes it included,
// ends with the same output, errors, status and files as the same start
// without it. Each case runs without the cache, then making it (and waiting
// for the build in the background), then using it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
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

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kJdk25 = "/usr/lib/jvm/temurin-25-jdk-amd64";
const std::string kFixtures = KVX_SOURCE_DIR "/tests/fixtures/startup-cache";

bool hasRuntime(const std::string& home) { return fs::exists(home + "/lib/libjli.so"); }

void mustRun(const std::string& program, const Strings& args) {
  ProgramResult result = runProgram(program, args);
  ASSERT_EQ(result.status, 0) << program << ": " << result.err;
}

// The probe and its agent, built once with JDK 17 for every runtime.
struct Jars {
  TempDir dir;
  std::string probe = dir / "probe.jar";
  std::string agent = dir / "agent.jar";
  // jlink's plain images of java.base, without a base archive, by JDK.
  std::map<std::string, std::string> plainImages;

  void build() {
    const std::string bin = kJdk17 + "/bin/";
    mustRun(bin + "javac", {"--release", "17", "-d", dir / "probe", kFixtures + "/Probe.java"});
    // Stored, not compressed: a rebuilt jar of the same length has the same size.
    mustRun(bin + "jar", {"cf0", probe, "-C", dir / "probe", "."});
    mustRun(bin + "javac", {"--release", "17", "-d", dir / "agent", kFixtures + "/Agent.java"});
    mustRun(bin + "jar", {"cfm", agent, kFixtures + "/agent-manifest.txt", "-C", dir / "agent", "."});
  }

  const std::string& plainImage(const std::string& jdk) {
    std::string& image = plainImages[jdk];
    if (image.empty()) {
      image = dir / ("plain-" + fs::path(jdk).filename().string());
      mustRun(jdk + "/bin/jlink", {"--add-modules", "java.base", "--output", image});
    }
    return image;
  }
};

Jars* jars = nullptr;

// Lines that differ between any two runs of the same program: times and
// process ids.
std::string withoutTimes(const std::string& text) {
  static const std::regex times(R"(\[[0-9.]+s\])");
  static const std::regex pids(R"(jcmd [0-9]+)");
  return std::regex_replace(std::regex_replace(text, times, "[T]"), pids, "jcmd P");
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  // Each file the start wrote in its working folder, and whether it has content.
  std::map<std::string, bool> files;
};

class StartupCacheOnRealJdk : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(kJdk17 + "/bin/javac")) return;
    jars = new Jars();
    jars->build();
  }
  static void TearDownTestSuite() {
    delete jars;
    jars = nullptr;
  }

  void SetUp() override {
    if (jars == nullptr) GTEST_SKIP() << "no JDK 17 with javac at " << kJdk17;
    if (!hasRuntime(GetParam())) GTEST_SKIP() << "no runtime at " << GetParam();
  }

  bool is25() const { return GetParam() == kJdk25; }

  // Two bundles alike but for the cache: one without, one with.
  AppBundle layOut(const std::string& where, bool cached, const std::string& runtime) {
    AppBundle app = layOutApp(
        dir / where, "Probe",
        dict({{"CFBundleName", str("Probe")},
              {"CFBundleIdentifier", str("com.example.probe")},
              {"kvx.startupCache", plist::Value::boolean(cached)},
              {"kvx.allowPassthrough", plist::Value::boolean(true)},
              {"JavaVM", dict({{"MainClass", str("Probe")},
                               {"ClassPath", str("${launcher:sys.appRootDir}/lib/probe.jar")},
                               {"SearchSequence", strings({"R" + runtime})}})}}));
    fs::create_directories(app.appRoot + "/lib");
    fs::copy_file(jars->probe, app.appRoot + "/lib/probe.jar", fs::copy_options::overwrite_existing);
    return app;
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

  // One start in a fresh working folder (where the options put their
  // files), once any build it leaves behind has ended.
  Outcome start(const AppBundle& app, const Strings& args, const Strings& wrapper = {}) {
    fs::remove_all(work);
    fs::create_directories(work);
    Strings all = wrapper;
    all.push_back(app.executable);
    all.insert(all.end(), args.begin(), args.end());
    ProgramResult result = runProgram(all[0], Strings(all.begin() + 1, all.end()), options(false));
    waitForCacheBuild(folder);
    Outcome outcome{result.status, withoutTimes(result.out), withoutTimes(result.err), {}};
    for (const fs::directory_entry& entry : fs::directory_iterator(work)) {
      outcome.files[entry.path().filename().string()] = fs::file_size(entry.path()) > 0;
    }
    return outcome;
  }

  std::string traceOf(const AppBundle& app, const Strings& args) {
    return runProgram(app.executable, args, options(true)).err;
  }

  Strings finishedCaches() const {
    Strings names;
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored)) {
      std::string name = entry.path().filename().string();
      if (name.ends_with(".jsa") && name.find(".making.") == std::string::npos) names.push_back(name);
    }
    return names;
  }

  TempDir dir;
  std::string work = dir / "work";
  std::string cacheHome = dir / "cache";
  std::string folder = cacheHome + "/kestrovel/com.example.probe";
};

struct DifferentialCase {
  const char* what;
  Strings args;
  // Whether the cache is made and used on 17 and on 25.
  bool cached17;
  bool cached25;
  // Runs the start in a plain image of java.base, without a base archive.
  bool plainImage = false;
  // A program and its arguments that the start runs under.
  Strings wrapper = {};
};

void expectSame(const Outcome& with, const Outcome& without, const std::string& what) {
  EXPECT_EQ(with.status, without.status) << what;
  EXPECT_EQ(with.out, without.out) << what;
  EXPECT_EQ(with.err, without.err) << what;
  EXPECT_EQ(with.files, without.files) << what;
}

TEST_P(StartupCacheOnRealJdk, EveryStartEndsAsItWouldWithoutTheCache) {
  const std::string work = this->work;
  const std::string agentOption = "-J-javaagent:" + jars->agent;
  fs::create_directories(dir / "patch");
  std::vector<DifferentialCase> cases = {
      {"a plain start", {"hello"}, true, true},
      {"an exception in main", {"throw"}, true, true},
      {"System.exit(7)", {"exit=7"}, true, true},
      {"a runtime without a base archive", {"exit=3"}, true, true, true},
      {"-Xmx1k", {"-J-Xmx1k"}, false, false},
      {"-XX:MaxMetaspaceSize=1k", {"-J-XX:MaxMetaspaceSize=1k"}, false, false},
      {"-Djava.security.manager=allow", {"-J-Djava.security.manager=allow"}, true, true},
      {"a flight recording", {"-J-XX:StartFlightRecording:filename=" + work + "/rec.jfr"}, true, false},
      {"a gc log", {"-J-Xlog:gc*:file=" + work + "/gc.log"}, true, true},
      {"an agent", {agentOption}, true, false},
      {"--patch-module", {"-J--patch-module=java.base=" + dir / "patch"}, false, false},
      {"-XX:-UseCompressedClassPointers", {"-J-XX:-UseCompressedClassPointers"}, false, false},
      {"the cache folder removed during the start", {"delete=" + cacheHome + "/kestrovel", "exit=7"}, false, false},
  };
  if (geteuid() == 0 && fs::exists("/usr/bin/unshare")) {
    cases.push_back({"a full file system for the cache",
                     {"exit=5"},
                     false,
                     false,
                     false,
                     {"/usr/bin/unshare", "-m", "/bin/sh", "-c",
                      "mount -t tmpfs -o size=16k tmpfs \"$0\" && exec \"$@\"", cacheHome}});
  }
  for (const DifferentialCase& c : cases) {
    fs::remove_all(cacheHome);
    if (!c.wrapper.empty()) fs::create_directories(cacheHome);
    std::string runtime = c.plainImage ? jars->plainImage(GetParam()) : GetParam();
    AppBundle off = layOut("off", false, runtime);
    AppBundle on = layOut("on", true, runtime);
    Outcome without = start(off, c.args, c.wrapper);
    Outcome making = start(on, c.args, c.wrapper);
    expectSame(making, without, std::string(c.what) + ", the start that makes the cache");
    bool cached = is25() ? c.cached25 : c.cached17;
    EXPECT_EQ(finishedCaches().size(), cached ? 1u : 0u) << c.what;
    Outcome using_ = start(on, c.args, c.wrapper);
    expectSame(using_, without, std::string(c.what) + ", a start with the cache");
    if (cached) {
      EXPECT_NE(traceOf(on, c.args).find("startup cache: using " + folder + "/"), std::string::npos) << c.what;
    }
  }
}

TEST_P(StartupCacheOnRealJdk, AJarReplacedWithTheSameSizeAndTimeNeverRunsOldClasses) {
  AppBundle app = layOut("on", true, GetParam());
  const std::string jar = app.appRoot + "/lib/probe.jar";
  ASSERT_EQ(start(app, {}).out.find("probe build A"), 0u);
  ASSERT_EQ(finishedCaches().size(), 1u);

  // The same class with another text of the same length, in a jar of the same size.
  std::string source = readFileOrMissing(kFixtures + "/Probe.java");
  source.replace(source.find("\"build A\""), 9, "\"build B\"");
  writeFile(dir / "b/Probe.java", source);
  mustRun(kJdk17 + "/bin/javac", {"--release", "17", "-d", dir / "b/classes", dir / "b/Probe.java"});
  mustRun(kJdk17 + "/bin/jar", {"cf0", dir / "b/probe.jar", "-C", dir / "b/classes", "."});
  ASSERT_EQ(fs::file_size(dir / "b/probe.jar"), fs::file_size(jar));
  // As cp -p does: written over in place, with the old time put back.
  fs::file_time_type time = fs::last_write_time(jar);
  fs::copy_file(dir / "b/probe.jar", jar, fs::copy_options::overwrite_existing);
  fs::last_write_time(jar, time);

  EXPECT_EQ(start(app, {}).out.find("probe build B"), 0u);
  EXPECT_EQ(start(app, {}).out.find("probe build B"), 0u) << "and with the new cache";
}

TEST_P(StartupCacheOnRealJdk, FourFirstStartsAtOnceAllSucceedAndOneMakesTheCache) {
  AppBundle app = layOut("on", true, GetParam());
  AppBundle off = layOut("off", false, GetParam());
  const Outcome without = start(off, {});
  std::vector<std::unique_ptr<RunningProgram>> starts;
  for (int i = 0; i < 4; ++i) starts.push_back(std::make_unique<RunningProgram>(app.executable, Strings{}, options(false)));
  for (std::unique_ptr<RunningProgram>& running : starts) {
    ProgramResult result = running->wait();
    EXPECT_EQ(result.status, without.status);
    EXPECT_EQ(result.err, without.err);
    EXPECT_EQ(result.out, without.out);
  }
  waitForCacheBuild(folder);
  EXPECT_EQ(finishedCaches().size(), 1u);
}

TEST_P(StartupCacheOnRealJdk, AStartKilledWhileItRecordsLeavesNothingThatHarmsALaterStart) {
  AppBundle app = layOut("on", true, GetParam());
  AppBundle off = layOut("off", false, GetParam());
  const Outcome without = start(off, {});
  RunningProgram running(app.executable, {}, options(false));
  usleep(50 * 1000);
  kill(running.pid(), SIGKILL);
  running.wait();
  waitForCacheBuild(folder);
  for (int i = 0; i < 2; ++i) {
    Outcome later = start(app, {});
    expectSame(later, without, "a start after the killed one");
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    EXPECT_EQ(entry.path().string().find(".making."), std::string::npos) << entry.path();
  }
}

INSTANTIATE_TEST_SUITE_P(Runtimes, StartupCacheOnRealJdk, ::testing::Values(kJdk17, kJdk25),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param == kJdk17 ? std::string("Jdk17") : std::string("Jdk25");
                         });

// One application started alternately on two runtimes keeps a cache for each.
class StartupCacheAcrossRuntimes : public StartupCacheOnRealJdk {};

TEST_P(StartupCacheAcrossRuntimes, AlternatingRuntimesKeepACacheEach) {
  if (!hasRuntime(kJdk25)) GTEST_SKIP() << "needs JDK 25 beside 17";
  AppBundle on17 = layOut("on17", true, kJdk17);
  AppBundle on25 = layOut("on25", true, kJdk25);
  start(on17, {});
  start(on25, {});
  ASSERT_EQ(finishedCaches().size(), 2u);
  for (const AppBundle* app : {&on17, &on25, &on17, &on25}) {
    EXPECT_NE(traceOf(*app, {}).find("startup cache: using "), std::string::npos) << app->path;
  }
  EXPECT_EQ(finishedCaches().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Runtimes, StartupCacheAcrossRuntimes, ::testing::Values(kJdk17));

}  // namespace
}  // namespace kvx::test
