#include "platform/captured_program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "test_support/dialog_standin.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

TEST(RunCapturingOutput, KeepsBothStreamsApartAndTheStatus) {
  std::string error;
  std::optional<CapturedRun> run = runCapturingOutput(
      "/bin/sh", {"-c", "echo out; echo err >&2; read line || echo no-input; exit 3"}, &error);
  ASSERT_TRUE(run) << error;
  EXPECT_EQ(run->output, "out\nno-input\n");
  EXPECT_EQ(run->errors, "err\n");
  EXPECT_EQ(run->termination.reason, Termination::Reason::Exit);
  EXPECT_EQ(run->termination.status, 3);

  EXPECT_FALSE(runCapturingOutput("/nonexistent/tool", {}, &error));
  EXPECT_EQ(error, "/nonexistent/tool: could not be started: No such file or directory");
}

// Takes the signal that the guard held back, so that it does not end the
// test program once the guard lets signals through again.
void consumeHeld(int signal) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  int taken = 0;
  sigwait(&set, &taken);
}

TEST(RunCapturingOutput, TheChildHoldsNothingBackAndAnInterruptionEndsIt) {
  std::string error;
  std::optional<InterruptionGuard> guard = InterruptionGuard::begin(&error);
  ASSERT_TRUE(guard) << error;
  std::optional<CapturedRun> mask =
      runCapturingOutput("/bin/sh", {"-c", "grep SigBlk /proc/self/status"}, &error, {&*guard});
  ASSERT_TRUE(mask) << error;
  EXPECT_EQ(mask->output, "SigBlk:\t0000000000000000\n");

  EXPECT_EQ(guard->heldSignal(), 0);
  kill(getpid(), SIGTERM);
  EXPECT_EQ(guard->heldSignal(), SIGTERM);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(runCapturingOutput("/bin/sleep", {"30"}, &error, {&*guard}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(error, "interrupted by SIGTERM");
  consumeHeld(SIGTERM);
}

TEST(RunCapturingOutput, KeepsOnlyTheLastWholeLinesOfAToolThatPrintsWithoutEnd) {
  std::string error;
  std::optional<CapturedRun> run = runCapturingOutput(
      "/bin/sh", {"-c", "yes 'a long line of output' | head -c 200000000; echo; echo 'Error: the end' >&2; echo last"},
      &error);
  ASSERT_TRUE(run) << error;
  EXPECT_LT(run->output.size(), size_t{1} << 20);
  EXPECT_TRUE(run->output.starts_with("a long line of output\n")) << run->output.substr(0, 40);
  EXPECT_TRUE(run->output.ends_with("\nlast\n"));
  EXPECT_EQ(run->errors, "Error: the end\n");
}

TEST(RunCapturingOutput, AToolThatIgnoresTheRequestToEndIsKilled) {
  std::string error;
  std::optional<InterruptionGuard> guard = InterruptionGuard::begin(&error);
  ASSERT_TRUE(guard) << error;
  // The tool ignores SIGTERM first, then interrupts us, and sleeps on.
  EXPECT_FALSE(runCapturingOutput("/bin/sh", {"-c", "trap '' TERM; kill -TERM $PPID; exec sleep 600"}, &error,
                                  {&*guard}));
  EXPECT_EQ(error, "interrupted by SIGTERM");
  consumeHeld(SIGTERM);
}

// Sets a signal's disposition for as long as it lives.
class ScopedDisposition {
 public:
  ScopedDisposition(int signal, void (*handler)(int)) : signal_(signal) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigaction(signal, &action, &previous_);
  }
  ~ScopedDisposition() { sigaction(signal_, &previous_, nullptr); }

 private:
  int signal_;
  struct sigaction previous_ = {};
};

bool isIgnored(int signal) {
  struct sigaction current = {};
  sigaction(signal, nullptr, &current);
  return current.sa_handler == SIG_IGN;
}

TEST(ChildrenOfAParentThatIgnoresSigchld, AreWaitedForByEveryRunner) {
  ScopedDisposition ignored(SIGCHLD, SIG_IGN);
  std::string error;
  std::optional<CapturedRun> captured = runCapturingOutput("/bin/sh", {"-c", "echo ran; exit 4"}, &error);
  ASSERT_TRUE(captured) << error;
  EXPECT_EQ(captured->output, "ran\n");
  EXPECT_EQ(captured->termination.status, 4);
  EXPECT_TRUE(isIgnored(SIGCHLD));
  std::optional<Termination> waited = runAndWait("/bin/sh", {"-c", "exit 5"}, &error, ChildStreams::Discarded);
  ASSERT_TRUE(waited) << error;
  EXPECT_EQ(waited->status, 5);
  EXPECT_TRUE(isIgnored(SIGCHLD));
  // The watch of a detached program (a dialog that cannot open its display)
  // must still hear it fail.
  EXPECT_FALSE(startDetached("/bin/sh", {"-c", "exit 6"}, &error, {.discardOutput = true, .watchMilliseconds = 2000}));
  EXPECT_EQ(error, "/bin/sh: ended at once with status 6");
  EXPECT_TRUE(isIgnored(SIGCHLD));
}

// A detached program starts with its signals fresh: nothing held back, and
// SIGCHLD not ignored, so that it can wait for children of its own.
TEST(ChildrenOfAParentThatIgnoresSigchld, DetachedProgramsStartWithTheirSignalsFresh) {
  test::TempDir dir;
  ScopedDisposition ignored(SIGCHLD, SIG_IGN);
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  sigprocmask(SIG_BLOCK, &blocked, &previous);
  std::string error;
  std::optional<int> pid = startDetached(
      "/bin/sh", {"-c", "grep -E 'SigBlk|SigIgn' /proc/self/status > \"$0.part\" && mv \"$0.part\" \"$0\"",
                  dir / "signals"}, &error);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  ASSERT_TRUE(pid) << error;
  std::string seen = test::waitForFile(dir / "signals");
  EXPECT_NE(seen.find("SigBlk:\t0000000000000000\n"), std::string::npos) << seen;
  size_t ignoredMask = seen.find("SigIgn:\t");
  ASSERT_NE(ignoredMask, std::string::npos) << seen;
  EXPECT_EQ(std::stoull(seen.substr(ignoredMask + 8, 16), nullptr, 16) & (1u << (SIGCHLD - 1)), 0u) << seen;
}

TEST(InterruptionGuard, ASignalIgnoredAtTheStartStaysIgnoredHereAndInTheTools) {
  ScopedDisposition ignored(SIGHUP, SIG_IGN);
  std::string error;
  std::optional<InterruptionGuard> guard = InterruptionGuard::begin(&error);
  ASSERT_TRUE(guard) << error;
  kill(getpid(), SIGHUP);
  EXPECT_EQ(guard->heldSignal(), 0);
  // SigIgn's lowest bit is SIGHUP's; SigBlk must be empty.
  std::optional<CapturedRun> status =
      runCapturingOutput("/bin/sh", {"-c", "grep -E 'SigBlk|SigIgn' /proc/self/status"}, &error, {&*guard});
  ASSERT_TRUE(status) << error;
  EXPECT_NE(status->output.find("SigBlk:\t0000000000000000\n"), std::string::npos) << status->output;
  size_t ignoredMask = status->output.find("SigIgn:\t");
  ASSERT_NE(ignoredMask, std::string::npos);
  EXPECT_EQ(std::stoull(status->output.substr(ignoredMask + 8, 16), nullptr, 16) & 1, 1u) << status->output;
}

}  // namespace
}  // namespace kvx::platform
