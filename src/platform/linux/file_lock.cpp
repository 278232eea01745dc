#include "platform/file_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/descriptor_io.h"
#include "platform/linux/system_error.h"

namespace kvx::platform {

std::optional<FileLock> FileLock::tryExclusive(const std::string& path, std::string* error,
                                               bool* heldElsewhere) {
  *heldElsewhere = false;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = path + ": cannot be opened: " + systemErrorText(errno);
    return std::nullopt;
  }
  return tryExclusiveOn(fd, path, error, heldElsewhere);
}

std::optional<FileLock> FileLock::tryExclusiveOn(int fd, const std::string& name, std::string* error,
                                                 bool* heldElsewhere) {
  *heldElsewhere = false;
  if (!detail::lockExclusive(fd, /*wait=*/false)) {
    int failure = errno;
    close(fd);
    *heldElsewhere = failure == EWOULDBLOCK;
    *error = *heldElsewhere ? name + ": held by another process"
                            : name + ": cannot be locked: " + systemErrorText(failure);
    return std::nullopt;
  }
  return FileLock(fd);
}

std::optional<FileLock> FileLock::waitExclusive(const std::string& path, std::string* error, bool* waited) {
  if (waited != nullptr) *waited = false;
  int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = path + ": cannot be opened: " + systemErrorText(errno);
    return std::nullopt;
  }
  bool locked = detail::lockExclusive(fd, /*wait=*/false);
  if (!locked && errno == EWOULDBLOCK) {
    if (waited != nullptr) *waited = true;
    locked = detail::lockExclusive(fd, /*wait=*/true);
  }
  if (!locked) {
    *error = path + ": cannot be locked: " + systemErrorText(errno);
    close(fd);
    return std::nullopt;
  }
  return FileLock(fd);
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

FileLock::~FileLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace kvx::platform
