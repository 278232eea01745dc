// The launcher started with a workspace marker, inside an application bundle
// whose executable is a recorder standing in for the relaunched application.
#include <gtest/gtest.h>
#include <signal.h>
#include <time.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// The value after "key=" on the first line that has it, up to a blank.
std::string field(const std::string& text, const std::string& key) {
  for (const std::string& line : lines(text)) {
    if (line.rfind(key + "=", 0) != 0) continue;
    size_t start = key.size() + 1;
    size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
  }
  return "";
}

long long monotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

class WorkspaceRelaunch : public ::testing::Test {
 protected:
  void SetUp() override { layOut("recorder"); }

  // Foo.app/Contents/MacOS/Foo is the launcher; the bundle's executable is
  // another program beside it, so that the relaunch does not loop.
  void layOut(const std::string& executableName) {
    writeFile(app + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<plist version=\"1.0\"><dict>\n"
              "<key>CFBundleExecutable</key><string>" +
                  executableName +
                  "</string>\n"
                  "</dict></plist>\n");
    fs::create_directories(app + "/Contents/MacOS");
    fs::copy_file(KVX_BUILD_DIR "/kvx-launcher", launcher, fs::copy_options::overwrite_existing);
    fs::copy_file(KVX_BUILD_DIR "/signal-recorder", app + "/Contents/MacOS/recorder",
                  fs::copy_options::overwrite_existing);
  }

  RunOptions recorderFor(double seconds) const {
    return RunOptions{std::nullopt,
                      {{"SIGNAL_RECORDER_FILE", record},
                       {"SIGNAL_RECORDER_SECONDS", std::to_string(seconds)},
                       {"KESTROVEL_LOG", std::nullopt}}};
  }

  std::string awaitRecord() const {
    for (int i = 0; i < 1000 && !fs::exists(record); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return readFileOrMissing(record);
  }

  TempDir dir;
  std::string app = dir / "Foo.app";
  std::string launcher = app + "/Contents/MacOS/Foo";
  std::string record = dir / "record";
};

TEST_F(WorkspaceRelaunch, HandsOnExactlyTheArgumentsAfterTheMarker) {
  struct Case {
    std::string marker;
    std::vector<std::string> handedOn;
  };
  const Case cases[] = {
      {"__kvx_workspace_open", {}},
      {"__kvx_workspace_open", {"one", "two words"}},
      {"__kvx_workspace_open_hidden", {"", "__kvx_workspace_open", "-x=1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.marker + " with " + std::to_string(c.handedOn.size()) + " arguments");
    fs::remove(record);
    std::vector<std::string> args{c.marker};
    args.insert(args.end(), c.handedOn.begin(), c.handedOn.end());
    ProgramResult result = runProgram(launcher, args, recorderFor(0));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");

    std::vector<std::string> expected{"argc=" + std::to_string(c.handedOn.size())};
    for (const std::string& arg : c.handedOn) expected.push_back("arg=" + arg);
    std::vector<std::string> recorded = lines(readFileOrMissing(record));
    ASSERT_GE(recorded.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(recorded.begin() + 3, recorded.end() - 1), expected);
  }
}

TEST_F(WorkspaceRelaunch, ForwardsTerminationSignalsAndEndsAfterTheApplication) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    fs::remove(record);
    RunningProgram running(launcher, {"__kvx_workspace_open"}, recorderFor(20));
    std::string started = awaitRecord();
    ASSERT_NE(started, "<missing>");
    // Detached: a session of its own, and not our launcher's child.
    EXPECT_EQ(field(started, "sid"), field(started, "pid"));
    EXPECT_NE(field(started, "ppid"), std::to_string(running.pid()));

    // The application may start before the launcher has learnt its pid; a
    // signal that arrives before then is not forwarded, so send it again
    // until the application has seen one.
    for (int attempt = 0; attempt < 100; ++attempt) {
      ASSERT_EQ(kill(running.pid(), signal), 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (!field(readFileOrMissing(record), "signal").empty()) break;
    }
    ProgramResult result = running.wait();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(field(readFileOrMissing(record), "signal"), std::to_string(signal));
  }
}

TEST_F(WorkspaceRelaunch, NoticesAnApplicationThatEndsByItself) {
  ProgramResult result = runProgram(launcher, {"__kvx_workspace_open"}, recorderFor(0.5));
  long long launcherEnded = monotonicNanoseconds();
  EXPECT_EQ(result.status, 0);
  std::string ended = field(readFileOrMissing(record), "timeout at");
  ASSERT_FALSE(ended.empty());
  double noticedAfterMs = static_cast<double>(launcherEnded - std::stoll(ended)) / 1e6;
  RecordProperty("noticed_after_ms", std::to_string(noticedAfterMs));
  std::printf("the launcher ended %.1f ms after the application\n", noticedAfterMs);
}

// A bundle that names no executable is relaunched with the executable that
// runs inside it: the launcher itself, which then takes the bundle road.
TEST_F(WorkspaceRelaunch, WithoutAnExecutableNamedTheRunningOneIsRelaunched) {
  layOut("");
  RunOptions traced = recorderFor(0);
  traced.env.back().second = "yes";
  traced.env.emplace_back("DISPLAY", std::nullopt);
  traced.env.emplace_back("WAYLAND_DISPLAY", std::nullopt);
  ProgramResult result = runProgram(launcher, {"__kvx_workspace_open", "a"}, traced);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("] launcher_main 3\n"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("] launcher_main 2\n"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("CFBundleExecutable"), std::string::npos) << result.err;
}

TEST_F(WorkspaceRelaunch, FailedRelaunchEndsWithOneAndSaysNothing) {
  struct Case {
    const char* what;
    std::string executable;
    void (*prepare)(const std::string& app);
    const char* reason;
  };
  const Case cases[] = {
      {"missing executable", "absent", [](const std::string&) {}, "No such file or directory"},
      {"not executable", "plain",
       [](const std::string& app) { writeFile(app + "/Contents/MacOS/plain", "just text\n"); },
       "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    layOut(c.executable);
    c.prepare(app);
    ProgramResult quiet = runProgram(launcher, {"__kvx_workspace_open", "a"}, recorderFor(0));
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    // The reason is kept for the trace.
    RunOptions traced = recorderFor(0);
    traced.env.back().second = "yes";
    ProgramResult logged = runProgram(launcher, {"__kvx_workspace_open_hidden"}, traced);
    EXPECT_EQ(logged.status, 1);
    EXPECT_NE(logged.err.find("Launch failed: "), std::string::npos) << logged.err;
    EXPECT_NE(logged.err.find(c.reason), std::string::npos) << logged.err;
  }
}

}  // namespace
}  // namespace kvx::test
