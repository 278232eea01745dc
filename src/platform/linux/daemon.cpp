#include "platform/program.h"

#include <errno.h>
#include <unistd.h>

#include "platform/linux/system_error.h"

namespace kvx::platform {

DetachSide detachAsDaemon(int nochdir, int noclose, std::string* error) {
  detail::StartedProcess started = detail::startProcess(
      {.streams = noclose == 0 ? ChildStreams::Discarded : ChildStreams::Shared, .newSession = true});
  if (started.pid > 0) return DetachSide::Parent;
  int failure = started.failure;
  // "/" by name: a descriptor opened for it here could sit on a standard
  // stream's number, one the caller closed.
  if (started.pid == 0 && failure == 0 && nochdir == 0 && chdir("/") != 0) failure = errno;
  if (failure != 0) {
    *error = systemErrorText(failure);
    return DetachSide::Failed;
  }
  return DetachSide::Daemon;
}

}  // namespace kvx::platform
