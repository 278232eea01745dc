#include "platform/program.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/process_steps.h"
#include "platform/system_error.h"

extern char** environ;

namespace kvx::platform {
namespace {

// What the two children tell the parent through the pipe. Each message is
// written whole (far below PIPE_BUF), so the two never interleave.
struct Report {
  enum Kind : int { Started, ExecFailed, ForkFailed, EndedAtOnce } kind;
  int value;  // the grandchild's pid, errno, or the status it ended with
};

void report(int fd, Report::Kind kind, int value) {
  Report message{kind, value};
  ssize_t ignored = write(fd, &message, sizeof message);
  (void)ignored;
}

// Runs in the grandchild, after fork: only async-signal-safe calls.
[[noreturn]] void execInNewSession(const char* program, char* const* argv, bool discardOutput,
                                   int reportFd) {
  setsid();
  if (discardOutput) (void)detail::standardStreamsToNull();
  execve(program, argv, environ);
  report(reportFd, Report::ExecFailed, errno);
  _exit(127);
}

// Runs in the intermediate child, for the watch: whether the grandchild
// ended within it, and with which status (0 when it ran on).
bool endedWithin(pid_t pid, int milliseconds, int* status) {
  constexpr int kStep = 20;
  for (int waited = 0; waited < milliseconds; waited += kStep) {
    pid_t result = waitpid(pid, status, WNOHANG);
    if (result == pid) return true;
    if (result < 0 && errno != EINTR) return false;
    usleep(kStep * 1000);
  }
  return false;
}

// Runs in the intermediate child: starts the grandchild, watches it for the
// time asked, and ends, so that the grandchild is reparented away from us.
[[noreturn]] void forkGrandchild(const char* program, char* const* argv, const DetachedOptions& options,
                                 int reportFd) {
  pid_t pid = fork();
  if (pid == 0) execInNewSession(program, argv, options.discardOutput, reportFd);
  if (pid < 0) {
    report(reportFd, Report::ForkFailed, errno);
    _exit(1);
  }
  int status = 0;
  if (options.watchMilliseconds > 0 && endedWithin(pid, options.watchMilliseconds, &status) &&
      !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    report(reportFd, Report::EndedAtOnce, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    _exit(0);
  }
  report(reportFd, Report::Started, pid);
  _exit(0);
}

void waitForIntermediate(pid_t pid) {
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

std::optional<int> startDetached(const std::string& program, const std::vector<std::string>& arguments,
                                 std::string* error, DetachedOptions options) {
  // Everything the children need is prepared before forking.
  std::vector<char*> argv = detail::argumentVector(program, arguments);

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = "could not start " + program + ": " + systemErrorText(errno);
    return std::nullopt;
  }
  pid_t intermediate = fork();
  if (intermediate == 0) {
    close(fds[0]);
    forkGrandchild(program.c_str(), argv.data(), options, fds[1]);
  }
  int forkError = errno;
  close(fds[1]);
  if (intermediate < 0) {
    close(fds[0]);
    *error = "could not start " + program + ": " + systemErrorText(forkError);
    return std::nullopt;
  }
  waitForIntermediate(intermediate);

  // The pipe reaches its end when the grandchild has executed the program
  // (close-on-exec) or has given up.
  int pid = -1;
  int failure = 0;
  std::optional<int> endedWith;
  Report message;
  ssize_t n;
  while ((n = read(fds[0], &message, sizeof message)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof message)) break;
    if (message.kind == Report::Started) pid = message.value;
    else if (message.kind == Report::EndedAtOnce) endedWith = message.value;
    else failure = message.value;
  }
  close(fds[0]);
  if (failure != 0 || (pid < 0 && !endedWith)) {
    *error = "could not start " + program + ": " + systemErrorText(failure != 0 ? failure : EIO);
    return std::nullopt;
  }
  if (endedWith) {
    *error = program + " ended at once with status " + std::to_string(*endedWith);
    return std::nullopt;
  }
  return pid;
}

}  // namespace kvx::platform
