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

struct CaptureOptions {
  // When given and one arrives before the program ends, the program is asked
  // to end (SIGTERM), killed when it has not ended a few seconds later, and
  // the result is nullopt with *error "interrupted by SIG…".
  const InterruptionGuard* interruptions = nullptr;
  // The program's working directory, when not ours.
  const DirectoryHandle* workingDirectory = nullptr;
};

// Runs program with the given arguments, its standard input at /dev/null,
// and waits for it. The child starts with its signals fresh
// (ChildOptions::freshSignals). Of a long output only the last lines are
// kept, some hundred kilobytes of each stream. Failing to start or to wait
// gives nullopt and the reason in *error, naming the program.
std::optional<CapturedRun> runCapturingOutput(const std::string& program,
                                              const std::vector<std::string>& arguments,
                                              std::string* error, const CaptureOptions& options = {});

}  // namespace kvx::platform
