#include "platform/daemon.h"

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

int standardDescriptorsToNull() {
  int fd = open("/dev/null", O_RDWR);
  if (fd == -1) return -1;
  for (int target = 0; target <= 2; ++target) {
    if (dup2(fd, target) == -1) {
      int error = errno;
      close(fd);
      errno = error;
      return -1;
    }
  }
  if (fd > 2) close(fd);
  return 0;
}

}  // namespace

int daemon_compat(int nochdir, int noclose) {
  switch (fork()) {
    case -1:
      return -1;
    case 0:
      break;
    default:
      _exit(0);
  }
  if (newSessionIgnoringHangUp() == -1) return -1;
  if (nochdir == 0 && chdir("/") == -1) return -1;
  if (noclose == 0 && standardDescriptorsToNull() == -1) return -1;
  return 0;
}

}  // namespace kvx::platform
