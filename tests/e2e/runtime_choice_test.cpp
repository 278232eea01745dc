// The runtime that the built launcher hands to JLI_Launch when the choice
// depends on its own command line: an authorisation restart, and "-jvm="
// given through "-J" on the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

class RuntimeChoiceOnTheCommandLine : public ::testing::Test {
 protected:
  RuntimeChoiceOnTheCommandLine() {
    layOutFakeRuntime(dir / "searched", "17.0.2");
    layOutFakeRuntime(dir / "from-file", "17.0.3");
    layOutFakeRuntime(dir / "from-command-line", "17.0.4");
    layOutFakeRuntime(dir / "handed-over", "1.6.0_65");
  }

  // The "-Dkvx.jreBundle=" entry and the version that reached the library.
  std::pair<std::string, std::string> launchWith(const std::vector<std::string>& args) {
    AppBundle app = layOutApp(
        dir.path(), "Foo",
        dict({{"kvx.allowPassthrough", plist::Value::boolean(true)},
              {"kvx.minVersion", str("17")},
              {"JavaVM", dict({{"MainClass", str("Main")},
                               {"SearchSequence", strings({"R" + dir / "searched"})}})}}));
    writeFile(dir / "Foo.vmoptions", "-jvm=" + dir / "from-file" + "\n");
    std::filesystem::remove(dir / "record");
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", dir / "record"}, {"KESTROVEL_LOG", std::nullopt}};
    ProgramResult result = runProgram(app.executable, args, options);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> record = recordLines(dir / "record");
    std::string bundle = "<absent>";
    for (const std::string& entry : recordedVector(record)) {
      if (entry.rfind("-Dkvx.jreBundle=", 0) == 0) bundle = entry.substr(16);
    }
    return {bundle, recordedValue(record, "fullversion")};
  }

  TempDir dir;
};

TEST_F(RuntimeChoiceOnTheCommandLine, TheCommandLineOverrideBeatsTheOptionsFile) {
  EXPECT_EQ(launchWith({"-J-jvm=" + dir / "from-command-line"}),
            std::make_pair(dir / "from-command-line", std::string("17.0.4")));
  EXPECT_EQ(launchWith({}), std::make_pair(dir / "from-file", std::string("17.0.3")));
}

TEST_F(RuntimeChoiceOnTheCommandLine, AnAuthorisationRestartTakesItsRuntimeWhateverTheLimits) {
  EXPECT_EQ(launchWith({"__kvx_auth_restart", dir / "handed-over", "-J-jvm=" + dir / "from-command-line"}),
            std::make_pair(dir / "handed-over", std::string("1.6.0")));
  // Without a path after it the marker does nothing.
  EXPECT_EQ(launchWith({"__kvx_auth_restart"}), std::make_pair(dir / "from-file", std::string("17.0.3")));
}

const char kToolFailed[] =
    "Foo: The application could not be started because of an internal error: could not run unpack200\n";
const char kHomeNotWritable[] = "must be unpacked before its first start, but its folder cannot be written";

// An application that ships a plain runtime home whose jars are still packed,
// with the stand-in for the runtime's unpack200, which logs each of its runs.
class ShippedRuntimeOnTheBundleRoad : public ::testing::Test {
 protected:
  ShippedRuntimeOnTheBundleRoad()
      : app(layOutApp(dir.path(), "Foo",
                      dict({{"CFBundleName", str("Foo")}, {"JavaVM", dict({{"MainClass", str("Main")}})}}))),
        home(layOutFakeRuntime(app.appRoot + "/.kestrovel/jre", "17.0.2")) {
    std::filesystem::create_directories(home + "/bin");
    std::filesystem::copy_file(KVX_BUILD_DIR "/unpack200-standin", home + "/bin/unpack200");
  }

  // Errors on standard error, in English; the fake library's record in record.
  RunOptions options(const std::string& record, const std::string& toolDelayMs = "0") const {
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", record},      {"KESTROVEL_LOG", std::nullopt},
                   {"DISPLAY", std::nullopt},           {"WAYLAND_DISPLAY", std::nullopt},
                   {"LANGUAGE", "en"},                  {"UNPACK200_STANDIN_LOG", dir / "tool-runs"},
                   {"UNPACK200_STANDIN_DELAY_MS", toolDelayMs}};
    return options;
  }

  // Starts the application count times at once (each under a time limit) and
  // collects how each ended.
  std::vector<ProgramResult> startAtOnce(int count, const std::string& toolDelayMs) const {
    std::vector<std::unique_ptr<RunningProgram>> starts;
    for (int i = 0; i < count; ++i) {
      starts.push_back(std::make_unique<RunningProgram>(
          "/usr/bin/timeout", std::vector<std::string>{"60", app.executable},
          options(dir / ("record-" + std::to_string(i)), toolDelayMs)));
    }
    std::vector<ProgramResult> results;
    for (auto& start : starts) results.push_back(start->wait());
    return results;
  }

  std::vector<std::string> toolRuns() const { return recordLines(dir / "tool-runs"); }

  TempDir dir;
  AppBundle app;
  std::string home;
};

// A shipped runtime that cannot be unpacked ends the start at the entry:
// the message, status 1, and the runtime never reaches JLI_Launch.
TEST_F(ShippedRuntimeOnTheBundleRoad, AFailedUnpackIsReportedAndEndsWithOne) {
  writeFile(home + "/lib/rt.jar.pack", "FAIL");
  ProgramResult result = runProgram(app.executable, {}, options(dir / "record"));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(kToolFailed), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "record"));
}

// First starts at once take turns: the tool runs once on each packed file,
// and every start reaches the runtime with the jars whole.
TEST_F(ShippedRuntimeOnTheBundleRoad, FirstStartsAtOnceUnpackEachFileOnce) {
  writeFile(home + "/lib/rt.jar.pack", "rt");
  writeFile(home + "/lib/ext/locale.jar.pack", "locale");
  std::vector<ProgramResult> results = startAtOnce(4, "300");
  for (size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].status, 0) << i << "\n" << results[i].err;
    EXPECT_EQ(results[i].err, "") << i;
    EXPECT_EQ(recordedValue(recordLines(dir / ("record-" + std::to_string(i))), "fullversion"), "1.7.0") << i;
  }
  EXPECT_EQ(toolRuns().size(), 2u) << testing::PrintToString(toolRuns());
  EXPECT_EQ(readFileOrMissing(home + "/lib/rt.jar"), "unpacked:rt");
  EXPECT_EQ(readFileOrMissing(home + "/lib/ext/locale.jar"), "unpacked:locale");
  EXPECT_FALSE(std::filesystem::exists(home + "/lib/rt.jar.pack"));
  // A later start has nothing to do and runs no tool.
  EXPECT_EQ(runProgram(app.executable, {}, options(dir / "record-later")).status, 0);
  EXPECT_EQ(toolRuns().size(), 2u);
}

// Failing first starts at once each run the tool in turn, and each tells the
// tool's failure, not a folder that cannot be written.
TEST_F(ShippedRuntimeOnTheBundleRoad, FirstStartsAtOnceThatFailEachTellTheToolsFailure) {
  writeFile(home + "/lib/rt.jar.pack", "FAIL");
  std::vector<ProgramResult> results = startAtOnce(3, "200");
  for (size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].status, 1) << i << "\n" << results[i].err;
    EXPECT_NE(results[i].err.find(kToolFailed), std::string::npos) << i << "\n" << results[i].err;
    EXPECT_EQ(results[i].err.find(kHomeNotWritable), std::string::npos) << i << "\n" << results[i].err;
    EXPECT_EQ(results[i].err.find("another run is unpacking"), std::string::npos)
        << i << "\n" << results[i].err;
  }
  EXPECT_EQ(toolRuns().size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(home + "/_kvx_testdir"));
}

// A runtime home on a read-only file system offers no lock: the start goes
// on as it always has, and tells that the folder cannot be written.
TEST_F(ShippedRuntimeOnTheBundleRoad, AHomeThatCannotBeWrittenIsToldSoWithoutALock) {
  writeFile(home + "/lib/rt.jar.pack", "rt");
  const std::string readOnly = "mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" && exec \"$@\"";
  if (runProgram("/usr/bin/unshare", {"-m", "/bin/sh", "-c", readOnly, home, "/bin/true"}).status != 0) {
    GTEST_SKIP() << "no mount namespace to make the runtime read-only in (unshare -m needs privileges)";
  }
  ProgramResult result = runProgram(
      "/usr/bin/timeout", {"60", "/usr/bin/unshare", "-m", "/bin/sh", "-c", readOnly, home, app.executable},
      options(dir / "record"));
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find(kHomeNotWritable), std::string::npos) << result.err;
  EXPECT_EQ(toolRuns().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(home + "/_kvx_unpack.lock"));
  EXPECT_TRUE(std::filesystem::exists(home + "/lib/rt.jar.pack"));
  EXPECT_FALSE(std::filesystem::exists(dir / "record"));
}

}  // namespace
}  // namespace kvx::test
