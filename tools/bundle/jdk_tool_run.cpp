#include "jdk_tool_run.h"

#include <cstdio>

#include "base/text.h"
#include "platform/interruption.h"

namespace kvx::bundle {
namespace {

std::string commandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = program;
  for (const std::string& argument : arguments) line += " " + argument;
  return line;
}

std::optional<std::string> firstLine(const std::string& text, bool errorsOnly) {
  for (std::string_view line : splitAt(text, '\n')) {
    line = trimmed(line);
    if (line.empty()) continue;
    if (!errorsOnly) return std::string(line);
    for (std::string_view word : {"Error:", "error:"}) {
      if (line.starts_with(word)) return std::string(trimmed(line.substr(word.size())));
    }
  }
  return std::nullopt;
}

std::string howItEnded(const platform::Termination& end) {
  if (end.reason == platform::Termination::Reason::UncaughtSignal) {
    return "it was ended by " + platform::signalName(end.status);
  }
  return "it ended with status " + std::to_string(end.status) + " and said nothing";
}

}  // namespace

std::string complaintOf(const platform::CapturedRun& run) {
  for (bool errorsOnly : {true, false}) {
    for (const std::string* text : {&run.errors, &run.output}) {
      if (std::optional<std::string> line = firstLine(*text, errorsOnly)) return *line;
    }
  }
  return howItEnded(run.termination);
}

std::optional<std::string> runJdkTool(const std::string& name, const std::string& program,
                                      const std::vector<std::string>& arguments, const StepLog& log,
                                      const platform::CaptureOptions& options, std::string* error) {
  StepLog::Step step = log.begin(name, commandLine(program, arguments));
  std::string reason;
  std::optional<platform::CapturedRun> run =
      platform::runCapturingOutput(program, arguments, &reason, options);
  if (!run) {
    *error = reason.starts_with("interrupted") ? reason : name + " failed: " + reason;
    return std::nullopt;
  }
  if (!run->termination.succeeded()) {
    if (log.verbose()) (void)fprintf(stderr, "%s%s", run->output.c_str(), run->errors.c_str());
    *error = name + " failed: " + complaintOf(*run);
    return std::nullopt;
  }
  step.done();
  return std::move(run->output);
}

}  // namespace kvx::bundle
