#include "platform/linux/descriptor_io.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kvx::platform::detail {

bool writeAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool lockExclusive(int fd, bool wait) {
  int result;
  do {
    result = flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

bool pipeAboveStandardStreams(int ends[2]) {
  int made[2];
  if (pipe2(made, O_CLOEXEC) != 0) return false;
  for (int i = 0; i < 2; ++i) {
    ends[i] = made[i] > STDERR_FILENO ? made[i] : fcntl(made[i], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (ends[i] != made[i]) close(made[i]);
  }
  if (ends[0] >= 0 && ends[1] >= 0) return true;
  int failure = errno;
  for (int i = 0; i < 2; ++i) {
    if (ends[i] >= 0) close(ends[i]);
    ends[i] = -1;
  }
  errno = failure;
  return false;
}

}  // namespace kvx::platform::detail
