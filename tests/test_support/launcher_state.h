// The exported process-wide values that a start writes, put back to their
// initial values around a test; everything else of a start is in the
// RunState a test builds for itself.
#pragma once

#include "run/diagnostic_log.h"
#include "run/globals.h"

namespace kvx::test {

inline void resetLauncherState() {
  g_cli = false;
  launchJavaVersion = nullptr;
}

// Resets on construction and again on destruction.
class ScopedLauncherState {
 public:
  ScopedLauncherState() { resetLauncherState(); }
  ~ScopedLauncherState() { resetLauncherState(); }
  ScopedLauncherState(const ScopedLauncherState&) = delete;
  ScopedLauncherState& operator=(const ScopedLauncherState&) = delete;
};

// Switches the trace on (or off) for the life of one object.
class ScopedTrace {
 public:
  explicit ScopedTrace(bool on) : previous_(logStatus) { logStatus = on ? 1 : 2; }
  ~ScopedTrace() { logStatus = previous_; }
  ScopedTrace(const ScopedTrace&) = delete;
  ScopedTrace& operator=(const ScopedTrace&) = delete;

 private:
  int32_t previous_;
};

}  // namespace kvx::test
