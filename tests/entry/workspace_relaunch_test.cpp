// What the workspace relaunch hands to the workspace service, and how it
// waits, with the service replaced by a recording stand-in.
#include "entry/workspace_relaunch.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "run/globals.h"

namespace kvx {
namespace {

struct ServiceCall {
  std::string bundlePath;
  uint64_t options = 0;
  std::vector<std::string> arguments;
};

class WorkspaceRelaunchCore : public ::testing::Test {
 protected:
  void TearDown() override {
    // The relaunch installs handlers for good; this process must not keep them.
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::signal(signal, SIG_DFL);
    gChildPid.store(0);
  }

  // What the service answers: a process identifier, or an error when it is not empty.
  struct Outcome {
    int32_t pid;
    std::string error;
  };

  ApplicationStarter recordingStarter(Outcome outcome) {
    return [this, outcome](const std::string& bundle, uint64_t options,
                           const std::vector<std::string>& arguments,
                           std::string* error) -> std::optional<int32_t> {
      calls.push_back({bundle, options, arguments});
      if (outcome.error.empty()) return outcome.pid;
      *error = outcome.error;
      return std::nullopt;
    };
  }

  std::vector<ServiceCall> calls;
};

TEST_F(WorkspaceRelaunchCore, HandsTheServiceTheOptionsWordAndTheArgumentsAfterTheMarker) {
  struct Case {
    bool hidden;
    std::vector<std::string> processArguments;
    uint64_t options;
    std::vector<std::string> handedOn;
  };
  const Case cases[] = {
      {false, {"/A.app/Contents/MacOS/A", "__kvx_workspace_open"}, 0x100, {}},
      {true, {"/A.app/Contents/MacOS/A", "__kvx_workspace_open_hidden"}, 0x100300, {}},
      {true, {"A", "__kvx_workspace_open_hidden", "x", "y z"}, 0x100300, {"x", "y z"}},
      {false, {"A"}, 0x100, {}},
  };
  for (const Case& c : cases) {
    calls.clear();
    // A process identifier of 0 is neither waited for nor signalled.
    EXPECT_EQ(relaunchAndWait(c.hidden, c.processArguments, "/A.app", recordingStarter({0, ""})),
              0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].bundlePath, "/A.app");
    EXPECT_EQ(calls[0].options, c.options);
    EXPECT_EQ(calls[0].arguments, c.handedOn);
  }
}

TEST_F(WorkspaceRelaunchCore, RefusedLaunchGivesOneAndWaitsForNothing) {
  EXPECT_EQ(relaunchAndWait(false, {"A", "__kvx_workspace_open"}, "/A.app",
                            recordingStarter({4242, "refused"})),
            1);
  EXPECT_EQ(gChildPid.load(), 0);
}

TEST_F(WorkspaceRelaunchCore, WaitsUntilTheApplicationHasEndedEvenUnreaped) {
  // Our own child stays a zombie after it ends, as an orphan would when
  // nobody reaps it; the wait must still end.
  pid_t child = fork();
  if (child == 0) {
    usleep(300000);
    _exit(7);
  }
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(relaunchAndWait(false, {"A", "__kvx_workspace_open"}, "/A.app",
                            recordingStarter({child, ""})),
            0);
  double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(gChildPid.load(), child);
  EXPECT_GE(waited, 0.3);
  EXPECT_LT(waited, 5.0) << "the ended child was not noticed";
  waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace kvx
