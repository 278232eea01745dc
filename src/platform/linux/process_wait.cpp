#include "platform/process_wait.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>

namespace kvx::platform::detail {
namespace {

constexpr int kStepMilliseconds = 10;

void setChildSignal(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(SIGCHLD, &action, nullptr);
}

}  // namespace

WaitOutcome waitForChild(pid_t pid, int* status, int milliseconds) {
  const int flags = milliseconds < 0 ? 0 : WNOHANG;
  for (int waited = 0;;) {
    pid_t result = waitpid(pid, status, flags);
    if (result == pid) return WaitOutcome::Ended;
    if (result < 0 && errno != EINTR) return WaitOutcome::Failed;
    if (result < 0 || flags == 0) continue;
    if (waited >= milliseconds) return WaitOutcome::StillRunning;
    struct timespec step = {0, kStepMilliseconds * 1000000L};
    nanosleep(&step, nullptr);
    waited += kStepMilliseconds;
  }
}

ChildSignalHold::ChildSignalHold() {
  struct sigaction current = {};
  if (sigaction(SIGCHLD, nullptr, &current) != 0 || current.sa_handler != SIG_IGN) return;
  setChildSignal(SIG_DFL);
  wasIgnored_ = true;
}

void ChildSignalHold::release() {
  if (wasIgnored_) setChildSignal(SIG_IGN);
  wasIgnored_ = false;
}

}  // namespace kvx::platform::detail
