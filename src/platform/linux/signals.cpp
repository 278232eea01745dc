#include "platform/signals.h"

#include <signal.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"
#include "platform/read_limits.h"

namespace kvx::platform {

static_assert(kSignalHangUp == SIGHUP && kSignalInterrupt == SIGINT && kSignalTerminate == SIGTERM);

void installSignalHandler(int signal, SignalHandler handler) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(signal, &action, nullptr);
}

int sendSignal(int32_t pid, int signal) { return kill(pid, signal); }

namespace {

// The state letter of /proc/<pid>/stat, after the command name in brackets
// (which may itself hold blanks and brackets).
char processState(int32_t pid) {
  std::optional<std::string> stat = readFile("/proc/" + std::to_string(pid) + "/stat", read_limit::kProcessStatus);
  if (!stat) return '?';
  size_t close = stat->rfind(')');
  if (close == std::string::npos || close + 2 >= stat->size()) return '?';
  return (*stat)[close + 2];
}

}  // namespace

bool processExists(int32_t pid) {
  if (kill(pid, 0) != 0) return false;
  // An orphan is reaped by whoever adopted it; until then kill still reaches
  // it, although it has ended.
  return processState(pid) != 'Z';
}

void sleepMicroseconds(uint32_t microseconds) { usleep(microseconds); }

}  // namespace kvx::platform
