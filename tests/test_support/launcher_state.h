// The process-wide launcher state, put back to its initial values around a
// test so that one test's paths and configuration do not leak into the next.
#pragma once

#include "launcher/diagnostic_log.h"
#include "launcher/globals.h"

namespace kvx::test {

inline void resetLauncherState() {
  s_infoDictionary = nullptr;
  s_mainBundlePath.reset();
  s_launcherDirInApp.reset();
  s_launcherDirAndName.reset();
  s_appRootDir.reset();
  s_guiLauncher = true;
  s_serviceMode.reset();
  g_cli = false;
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
