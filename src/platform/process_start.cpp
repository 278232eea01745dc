#include "platform/process_start.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <climits>

#include "platform/descriptor_io.h"
#include "platform/process_wait.h"
#include "platform/system_error.h"

extern char** environ;

namespace kvx::platform::detail {
namespace {

void closeIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

// Everything from here to the end of the namespace runs in the child,
// between fork and exec: async-signal-safe calls only, no allocation.

int failed() { return errno != 0 ? errno : EIO; }

bool ignored(int signal) {
  struct sigaction current = {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void toDefault(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

void freshSignals() {
  for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGQUIT}) {
    if (!ignored(signal)) toDefault(signal);
  }
  toDefault(SIGPIPE);
  toDefault(SIGCHLD);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

// Leaving the old session sends SIGHUP to a child that was its terminal's
// foreground process group; it must not end the child half-way.
int newSessionIgnoringHangUp() {
  struct sigaction ignore = {};
  struct sigaction previous = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGHUP, &ignore, &previous);
  int failure = setsid() == -1 ? failed() : 0;
  sigaction(SIGHUP, &previous, nullptr);
  return failure;
}

// Puts fd on target, or /dev/null when fd is -1 (opened with flags).
int streamTo(int fd, int target, int flags) {
  int source = fd >= 0 ? fd : open("/dev/null", flags | O_CLOEXEC);
  if (source < 0) return failed();
  int failure = 0;
  if (source == target) {
    // dup2 onto itself would leave close-on-exec set.
    if (fcntl(target, F_SETFD, 0) != 0) failure = failed();
  } else if (dup2(source, target) < 0) {
    failure = failed();
  }
  if (fd < 0 && source != target) close(source);
  return failure;
}

int setUpStreams(ChildStreams streams, int output, int errors) {
  if (streams == ChildStreams::Shared) return 0;
  int failure = streamTo(-1, STDIN_FILENO, O_RDWR);
  if (failure == 0) failure = streamTo(streams == ChildStreams::Captured ? output : -1, STDOUT_FILENO, O_RDWR);
  if (failure == 0) failure = streamTo(streams == ChildStreams::Captured ? errors : -1, STDERR_FILENO, O_RDWR);
  return failure;
}

bool isKept(int fd, const std::vector<int>* kept, int alsoKept) {
  if (fd == alsoKept) return true;
  for (int each : *kept) {
    if (each == fd) return true;
  }
  return false;
}

// Closes every descriptor above 2 but the kept ones, a range at a time.
void closeAllBut(const std::vector<int>* kept, int alsoKept) {
  unsigned int from = STDERR_FILENO + 1;
  while (true) {
    unsigned int next = UINT_MAX;
    for (int each : *kept) {
      if (each >= 0 && static_cast<unsigned int>(each) >= from && static_cast<unsigned int>(each) < next) next = each;
    }
    if (alsoKept >= 0 && static_cast<unsigned int>(alsoKept) >= from && static_cast<unsigned int>(alsoKept) < next) {
      next = alsoKept;
    }
    if (next > from && close_range(from, next - 1, 0) != 0) {
      // Without the call, one at a time, as far as descriptors may go.
      long limit = sysconf(_SC_OPEN_MAX);
      for (long fd = from; fd < (next == UINT_MAX ? limit : static_cast<long>(next)); ++fd) {
        if (!isKept(static_cast<int>(fd), kept, alsoKept)) close(static_cast<int>(fd));
      }
    }
    if (next == UINT_MAX) return;
    from = next + 1;
  }
}

int setUpChild(const ChildOptions& options, int output, int errors, int alsoKept) {
  int failure = 0;
  if (options.newSession) failure = newSessionIgnoringHangUp();
  if (failure == 0 && options.workingDirectory && fchdir(options.workingDirectory->descriptor()) != 0) {
    failure = failed();
  }
  if (failure == 0) failure = setUpStreams(options.streams, output, errors);
  if (failure == 0 && options.keptDescriptors) closeAllBut(options.keptDescriptors, alsoKept);
  if (options.freshSignals) freshSignals();
  return failure;
}

// What a child that could not be set up or execute the program tells the parent.
[[noreturn]] void reportAndEnd(int reportEnd, int failure) {
  ssize_t ignoredCount = write(reportEnd, &failure, sizeof failure);
  (void)ignoredCount;
  _exit(127);
}

}  // namespace

StartedProcess startProcess(const ChildOptions& options, int alsoKept) {
  StartedProcess started;
  int output[2] = {-1, -1}, errors[2] = {-1, -1};
  if (options.streams == ChildStreams::Captured &&
      (!pipeAboveStandardStreams(output) || !pipeAboveStandardStreams(errors))) {
    started.failure = failed();
    for (int fd : {output[0], output[1], errors[0], errors[1]}) closeIfOpen(fd);
    return started;
  }
  started.pid = fork();
  if (started.pid == 0) {
    started.failure = setUpChild(options, output[1], errors[1], alsoKept);
    for (int fd : {output[0], output[1], errors[0], errors[1]}) closeIfOpen(fd);
    return started;
  }
  if (started.pid < 0) started.failure = failed();
  // The child has its own copies of the write ends; ours would keep the pipes open.
  closeIfOpen(output[1]);
  closeIfOpen(errors[1]);
  if (started.pid < 0) {
    closeIfOpen(output[0]);
    closeIfOpen(errors[0]);
    return started;
  }
  started.output = output[0];
  started.errors = errors[0];
  return started;
}

ProgramStart::ProgramStart(std::string program, std::vector<std::string> arguments, ChildOptions options)
    : program_(std::move(program)), arguments_(std::move(arguments)), options_(options) {
  argv_.reserve(arguments_.size() + 2);
  argv_.push_back(program_.data());
  for (std::string& argument : arguments_) argv_.push_back(argument.data());
  argv_.push_back(nullptr);
}

StartedProcess ProgramStart::start() const {
  // The report pipe reaches its end without a word when the program has
  // been executed (close-on-exec).
  int report[2];
  if (!pipeAboveStandardStreams(report)) return StartedProcess{-1, -1, -1, failed()};
  StartedProcess started = startProcess(options_, report[1]);
  if (started.pid == 0) {
    if (started.failure != 0) reportAndEnd(report[1], started.failure);
    close(report[0]);
    execve(program_.c_str(), argv_.data(), environ);
    reportAndEnd(report[1], failed());
  }
  close(report[1]);
  int failure = 0;
  ssize_t n;
  while ((n = read(report[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  if (started.pid < 0 || n != static_cast<ssize_t>(sizeof failure)) return started;
  int status = 0;
  (void)waitForChild(started.pid, &status, -1);
  closeIfOpen(started.output);
  closeIfOpen(started.errors);
  return StartedProcess{-1, -1, -1, failure};
}

std::string startFailure(const std::string& program, int failure) {
  return "could not start " + program + ": " + systemErrorText(failure);
}

}  // namespace kvx::platform::detail
