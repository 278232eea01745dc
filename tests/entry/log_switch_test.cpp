// The trace switch is decided once, from KESTROVEL_LOG at the first call.
// Each case runs in a child process so that the decision starts afresh.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "run/diagnostic_log.h"

namespace kvx {
namespace {

// Exits with 1 when the first decision was on, plus 2 when a second call
// after changing the variable says on.
[[noreturn]] void decideThenChange(const char* first, const char* later) {
  logStatus = 0;
  first ? setenv("KESTROVEL_LOG", first, 1) : unsetenv("KESTROVEL_LOG");
  const bool before = traceEnabled();
  later ? setenv("KESTROVEL_LOG", later, 1) : unsetenv("KESTROVEL_LOG");
  const bool after = traceEnabled();
  _exit((before ? 1 : 0) + (after ? 2 : 0));
}

TEST(TraceSwitchDeathTest, DecidedAtTheFirstCallAndNeverAgain) {
  EXPECT_EXIT(decideThenChange("yes", nullptr), ::testing::ExitedWithCode(3), "");
  EXPECT_EXIT(decideThenChange("yes", "no"), ::testing::ExitedWithCode(3), "");
  EXPECT_EXIT(decideThenChange(nullptr, "yes"), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(decideThenChange("YES", "yes"), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kvx
