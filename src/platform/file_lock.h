// An exclusive lock on a file, shared by every process that takes it on the
// same path: the way unrelated starts of one application agree that only one
// of them does a piece of work.
#pragma once

#include <optional>
#include <string>

namespace kvx::platform {

class FileLock {
 public:
  // Creates the file when it is missing and takes the lock without waiting.
  // nullopt when another process holds it (then *heldElsewhere is set) or
  // the file cannot be opened; *error says which. Programs this process
  // starts do not inherit the lock.
  static std::optional<FileLock> tryExclusive(const std::string& path, std::string* error,
                                              bool* heldElsewhere);

  FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  // Releases the lock; the system releases it too when the process ends,
  // however it ends.
  ~FileLock();

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace kvx::platform
