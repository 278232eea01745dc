// Switches the trace on or off for a test that reads it, and back again.
#pragma once

#include <cstdint>

#include "run/diagnostic_log.h"

namespace kvx::test {

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
