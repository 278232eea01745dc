// Running a program to its end and keeping what it printed, for tools whose
// answer or whose complaint is their output.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/interruption.h"
#include "platform/program.h"

namespace kvx::platform {

struct CapturedRun {
  Termination termination;
  std::string output;  // its standard output
  std::string errors;  // its standard error
};

// Runs program with the given arguments, its standard input at /dev/null,
// and waits for it. The child starts with no signal held back, whatever this
// process holds. When interruptions are given and one arrives first, the
// program is asked to end (SIGTERM) and waited for, and the result is nullopt
// with *error "interrupted by SIG…". Failing to start or to wait gives
// nullopt and the reason in *error, naming the program.
std::optional<CapturedRun> runCapturingOutput(const std::string& program,
                                              const std::vector<std::string>& arguments,
                                              std::string* error,
                                              const InterruptionGuard* interruptions = nullptr);

}  // namespace kvx::platform
