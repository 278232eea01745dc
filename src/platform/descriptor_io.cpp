#include "platform/descriptor_io.h"

#include <errno.h>
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

}  // namespace kvx::platform::detail
