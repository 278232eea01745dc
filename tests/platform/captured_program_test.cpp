#include "platform/captured_program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>

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
  EXPECT_EQ(error, "could not start /nonexistent/tool: No such file or directory");
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
      runCapturingOutput("/bin/sh", {"-c", "grep SigBlk /proc/self/status"}, &error, &*guard);
  ASSERT_TRUE(mask) << error;
  EXPECT_EQ(mask->output, "SigBlk:\t0000000000000000\n");

  EXPECT_EQ(guard->heldSignal(), 0);
  kill(getpid(), SIGTERM);
  EXPECT_EQ(guard->heldSignal(), SIGTERM);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(runCapturingOutput("/bin/sleep", {"30"}, &error, &*guard));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(error, "interrupted by SIGTERM");
  consumeHeld(SIGTERM);
}

}  // namespace
}  // namespace kvx::platform
