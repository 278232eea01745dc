// Running one of the JDK's tools (jdeps, jlink, java) as a step of the work.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/captured_program.h"
#include "step_log.h"

namespace kvx::bundle {

// Runs program as the step name, with --verbose showing the command line and
// the time. Gives its standard output when it ends with status 0. Otherwise
// nullopt, with *error "NAME failed: " and the tool's own complaint (or why
// it could not be started), or "interrupted by SIG…" when an interruption
// arrived; with --verbose, all it printed is shown too.
std::optional<std::string> runJdkTool(const std::string& name, const std::string& program,
                                      const std::vector<std::string>& arguments, const StepLog& log,
                                      const platform::CaptureOptions& options, std::string* error);

// The one line of what a tool printed that says what went wrong: its first
// "Error: …" line (without that word), else its first line, standard error
// before standard output; else how it ended.
std::string complaintOf(const platform::CapturedRun& run);

}  // namespace kvx::bundle
