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

  // Waits until no other process holds the lock on path, creating the file
  // when it is missing. An existing file is opened for reading only, so one
  // in a directory this process may not write serves all the same. nullopt
  // when the file can be neither opened nor made, or the file system offers
  // no locks; *error says which. *waited, when given, tells whether another
  // process held it when asked.
  static std::optional<FileLock> waitExclusive(const std::string& path, std::string* error,
                                               bool* waited = nullptr);

  // Takes ownership of an open descriptor and the lock on it without
  // waiting; nullopt (the descriptor closed) when another process holds it,
  // then *heldElsewhere is set; *error says why.
  static std::optional<FileLock> tryExclusiveOn(int fd, const std::string& name, std::string* error,
                                                bool* heldElsewhere);
  // The open descriptor the lock is on, for a process that must keep the
  // lock after this one ends.
  int descriptor() const { return fd_; }
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
