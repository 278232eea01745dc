#include "platform/program.h"

#include "platform/process_steps.h"
#include "platform/system_error.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace kvx::platform {
namespace {

// Leaving the old session sends SIGHUP to a child that was its terminal's
// foreground process group; it must not end us half-way.
int newSessionIgnoringHangUp() {
  struct sigaction ignore = {};
  struct sigaction previous = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ignore.sa_flags = 0;
  sigaction(SIGHUP, &ignore, &previous);
  if (setsid() == -1) {
    int error = errno;
    sigaction(SIGHUP, &previous, nullptr);
    errno = error;
    return -1;
  }
  sigaction(SIGHUP, &previous, nullptr);
  return 0;
}

}  // namespace

bool daemon_compat(int nochdir, int noclose, std::string* error) {
  switch (fork()) {
    case -1:
      *error = systemErrorText(errno);
      return false;
    case 0:
      break;
    default:
      _exit(0);
  }
  if (newSessionIgnoringHangUp() == -1 || (nochdir == 0 && chdir("/") == -1) ||
      (noclose == 0 && detail::standardStreamsToNull() == -1)) {
    *error = systemErrorText(errno);
    return false;
  }
  return true;
}

}  // namespace kvx::platform
