#include "platform/child_process.h"

#include <errno.h>
#include <spawn.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>

#include "base/exception.h"

extern char** environ;

namespace kvx::platform {

namespace {

std::string systemError(int error) {
  char buf[256];
  // The GNU strerror_r may return a static string instead of filling buf.
  return strerror_r(error, buf, sizeof buf);
}

}  // namespace

ChildProcess ChildProcess::start(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // glibc's posix_spawn reports a failed exec through its result, so a
  // missing or non-executable program is an error here and never a child
  // that exits with 127.
  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    throw PlatformException("NSInvalidArgumentException",
                            "could not start " + program + ": " + systemError(error));
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
                            "could not wait for " + program_ + ": " + systemError(errno));
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
