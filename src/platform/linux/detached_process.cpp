#include "platform/program.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/system_error.h"

namespace kvx::platform {
namespace {

// What the intermediate child tells the parent through the pipe, written
// whole (far below PIPE_BUF).
struct Report {
  enum Kind : int { Started, Failed, EndedAtOnce } kind;
  int value;  // the grandchild's pid, errno, or the status it ended with
};

void report(int fd, Report::Kind kind, int value) {
  Report message{kind, value};
  ssize_t ignored = write(fd, &message, sizeof message);
  (void)ignored;
}

// Runs in the intermediate child, after fork: only async-signal-safe calls.
// Starts the grandchild, watches it for the time asked, and ends, so that
// the grandchild is reparented away from us.
[[noreturn]] void startGrandchild(const detail::ProgramStart& program, int watchMilliseconds, int reportFd) {
  detail::StartedProcess started = program.start();
  if (started.pid < 0) {
    report(reportFd, Report::Failed, started.failure);
    _exit(1);
  }
  int status = 0;
  if (watchMilliseconds > 0 &&
      detail::waitForChild(started.pid, &status, watchMilliseconds) == detail::WaitOutcome::Ended &&
      !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    report(reportFd, Report::EndedAtOnce, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    _exit(0);
  }
  report(reportFd, Report::Started, started.pid);
  _exit(0);
}

// All the intermediate child and the grandchild reported. The pipe reaches
// its end when the intermediate child has ended and the grandchild has
// executed the program (close-on-exec) or has given up.
struct Outcome {
  int pid = -1;
  int failure = 0;
  std::optional<int> endedWith;
};

Outcome readReports(int fd) {
  Outcome outcome;
  Report message;
  ssize_t n;
  while ((n = read(fd, &message, sizeof message)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof message)) break;
    if (message.kind == Report::Started) outcome.pid = message.value;
    else if (message.kind == Report::EndedAtOnce) outcome.endedWith = message.value;
    else outcome.failure = message.value;
  }
  return outcome;
}

std::optional<int> startedPid(const Outcome& outcome, const std::string& program, std::string* error) {
  if (outcome.failure != 0 || (outcome.pid < 0 && !outcome.endedWith)) {
    *error = detail::startFailure(program, outcome.failure != 0 ? outcome.failure : EIO);
    return std::nullopt;
  }
  if (outcome.endedWith) {
    *error = program + ": ended at once with status " + std::to_string(*outcome.endedWith);
    return std::nullopt;
  }
  return outcome.pid;
}

}  // namespace

std::optional<int> startDetached(const std::string& program, const std::vector<std::string>& arguments,
                                 std::string* error, DetachedOptions options) {
  // Everything the children need is prepared before forking. The program
  // starts with its signals fresh, in a session of its own.
  const detail::ProgramStart grandchild(
      program, arguments,
      {.streams = options.discardOutput ? ChildStreams::Discarded : ChildStreams::Shared,
       .freshSignals = true,
       .newSession = true});
  // The intermediate child inherits SIGCHLD at its default, so that it can
  // watch the program, and we can wait for it, whatever our parent ignores.
  detail::ChildSignalHold hold;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = detail::startFailure(program, errno);
    return std::nullopt;
  }
  detail::StartedProcess intermediate = detail::startProcess({});
  if (intermediate.pid == 0) {
    close(fds[0]);
    startGrandchild(grandchild, options.watchMilliseconds, fds[1]);
  }
  close(fds[1]);
  if (intermediate.pid < 0) {
    close(fds[0]);
    *error = detail::startFailure(program, intermediate.failure);
    return std::nullopt;
  }
  int ignoredStatus = 0;
  (void)detail::waitForChild(intermediate.pid, &ignoredStatus, -1);
  hold.release();

  std::optional<int> pid = startedPid(readReports(fds[0]), program, error);
  close(fds[0]);
  return pid;
}

}  // namespace kvx::platform
