#include "platform/program.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>

#include "platform/process_steps.h"
#include "platform/system_error.h"

extern char** environ;

namespace kvx::platform {

namespace {

// Actions that point the child's descriptors 0 to 2 at /dev/null.
int discardStreams(posix_spawn_file_actions_t* actions) {
  int failure = posix_spawn_file_actions_init(actions);
  if (failure != 0) return failure;
  failure = posix_spawn_file_actions_addopen(actions, 0, "/dev/null", O_RDONLY, 0);
  for (int fd = 1; failure == 0 && fd <= 2; ++fd) {
    failure = posix_spawn_file_actions_addopen(actions, fd, "/dev/null", O_WRONLY, 0);
  }
  if (failure != 0) posix_spawn_file_actions_destroy(actions);
  return failure;
}

}  // namespace

std::optional<ChildProcess> ChildProcess::start(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                std::string* error, ChildStreams streams) {
  std::vector<char*> argv = detail::argumentVector(program, arguments);

  posix_spawn_file_actions_t actions;
  bool discarded = streams == ChildStreams::Discarded;
  int failure = discarded ? discardStreams(&actions) : 0;
  // glibc's posix_spawn reports a failed exec through its result, so a
  // missing or non-executable program is an error here and never a child
  // that exits with 127.
  pid_t pid = 0;
  if (failure == 0) {
    failure = posix_spawn(&pid, program.c_str(), discarded ? &actions : nullptr, nullptr,
                          argv.data(), environ);
    if (discarded) posix_spawn_file_actions_destroy(&actions);
  }
  if (failure != 0) {
    *error = "could not start " + program + ": " + systemErrorText(failure);
    return std::nullopt;
  }
  return ChildProcess(pid, program);
}

std::optional<Termination> ChildProcess::waitUntilExit(std::string* error) {
  if (termination_) return *termination_;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid_, &status, 0);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    *error = "could not wait for " + program_ + ": " + systemErrorText(errno);
    return std::nullopt;
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

namespace {

// A parent that ignores SIGCHLD makes the kernel reap our children itself,
// and waiting for one then fails although it ran. For as long as it lives,
// the default comes back.
class ChildSignalDefault {
 public:
  ChildSignalDefault() {
    struct sigaction current = {};
    if (sigaction(SIGCHLD, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      struct sigaction dfl = {};
      dfl.sa_handler = SIG_DFL;
      sigemptyset(&dfl.sa_mask);
      restore_ = sigaction(SIGCHLD, &dfl, &previous_) == 0;
    }
  }
  ~ChildSignalDefault() {
    if (restore_) sigaction(SIGCHLD, &previous_, nullptr);
  }
  ChildSignalDefault(const ChildSignalDefault&) = delete;
  ChildSignalDefault& operator=(const ChildSignalDefault&) = delete;

 private:
  struct sigaction previous_ = {};
  bool restore_ = false;
};

}  // namespace

std::optional<Termination> runAndWait(const std::string& program,
                                      const std::vector<std::string>& arguments, std::string* error,
                                      ChildStreams streams) {
  ChildSignalDefault reaping;
  std::optional<ChildProcess> child = ChildProcess::start(program, arguments, error, streams);
  if (!child) return std::nullopt;
  return child->waitUntilExit(error);
}

}  // namespace kvx::platform
