#include "platform/program.h"

#include <errno.h>
#include <spawn.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>

#include "base/exception.h"
#include "platform/process_steps.h"
#include "platform/system_error.h"

extern char** environ;

namespace kvx::platform {

ChildProcess ChildProcess::start(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  std::vector<char*> argv = detail::argumentVector(program, arguments);

  // glibc's posix_spawn reports a failed exec through its result, so a
  // missing or non-executable program is an error here and never a child
  // that exits with 127.
  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    throw PlatformException("NSInvalidArgumentException",
                            "could not start " + program + ": " + systemErrorText(error));
  }
  return ChildProcess(pid, program);
}

Termination ChildProcess::waitUntilExit() {
  if (termination_) return *termination_;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid_, &status, 0);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    // Without a status we cannot tell success from failure; saying either
    // would be a guess.
    throw PlatformException("NSInternalInconsistencyException",
                            "could not wait for " + program_ + ": " + systemErrorText(errno));
  }
  Termination termination;
  if (WIFSIGNALED(status)) {
    termination.reason = Termination::Reason::UncaughtSignal;
    termination.status = WTERMSIG(status);
  } else {
    termination.status = WEXITSTATUS(status);
  }
  termination_ = termination;
  return termination;
}

Termination runAndWait(const std::string& program, const std::vector<std::string>& arguments) {
  return ChildProcess::start(program, arguments).waitUntilExit();
}

}  // namespace kvx::platform
