#include "platform/linux/child_setup.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <climits>

namespace kvx::platform::detail {
namespace {

// Everything here runs in the child, between fork and exec:
// async-signal-safe calls only, no allocation.

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

}  // namespace

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

}  // namespace kvx::platform::detail
