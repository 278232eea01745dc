#include "platform/program.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/system_error.h"

namespace kvx::platform {

namespace {

void closeIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

Termination terminationOf(int status) {
  if (WIFSIGNALED(status)) return Termination{Termination::Reason::UncaughtSignal, WTERMSIG(status)};
  return Termination{Termination::Reason::Exit, WEXITSTATUS(status)};
}

}  // namespace

std::optional<ChildProcess> ChildProcess::start(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                std::string* error, const ChildOptions& options) {
  detail::ChildSignalHold hold;
  detail::StartedProcess started = detail::ProgramStart(program, arguments, options).start();
  if (started.pid < 0) {
    *error = detail::startFailure(program, started.failure);
    return std::nullopt;
  }
  return ChildProcess(started.pid, program, std::move(hold), started.output, started.errors);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_),
      program_(std::move(other.program_)),
      hold_(std::move(other.hold_)),
      output_(other.output_),
      errors_(other.errors_),
      termination_(other.termination_) {
  other.output_ = -1;
  other.errors_ = -1;
}

ChildProcess::~ChildProcess() { finish(); }

void ChildProcess::finish() {
  closeIfOpen(output_);
  closeIfOpen(errors_);
  output_ = errors_ = -1;
  hold_.release();
}

std::optional<Termination> ChildProcess::waitUntilExit(std::string* error) {
  if (termination_) return *termination_;
  int status = 0;
  if (detail::waitForChild(pid_, &status, -1) != detail::WaitOutcome::Ended) {
    *error = program_ + ": could not be waited for: " + systemErrorText(errno);
    return std::nullopt;
  }
  termination_ = terminationOf(status);
  finish();
  return termination_;
}

std::optional<Termination> ChildProcess::stop(int graceMilliseconds, std::string* error) {
  if (termination_) return *termination_;
  kill(pid_, SIGTERM);
  int status = 0;
  if (detail::waitForChild(pid_, &status, graceMilliseconds) == detail::WaitOutcome::Ended) {
    termination_ = terminationOf(status);
    finish();
    return termination_;
  }
  kill(pid_, SIGKILL);
  return waitUntilExit(error);
}

std::optional<Termination> runAndWait(const std::string& program,
                                      const std::vector<std::string>& arguments, std::string* error,
                                      ChildStreams streams) {
  std::optional<ChildProcess> child = ChildProcess::start(program, arguments, error, {streams});
  if (!child) return std::nullopt;
  return child->waitUntilExit(error);
}

}  // namespace kvx::platform
