// A folder only this user can change: owned by the effective user, writable
// by nobody else, reached without following a symbolic link, and worked in
// through its open descriptor, so that nothing another user renames or links
// meanwhile can redirect a read, a write or a removal.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_lock.h"
#include "platform/file_status.h"

namespace kvx::platform {

class PrivateFolder {
 public:
  // Opens base/first/second/…, creating what is missing with mode 0700. base
  // must exist or, when missing, have a parent that belongs to this user
  // (it is then made too), and must belong to this user or be a shared
  // folder with the sticky bit (as /tmp is), where nobody can move another's
  // entries; every folder below it must belong to this user and be writable
  // by nobody else. nullopt, with *why, when any check fails: then nothing
  // was removed or changed there.
  static std::optional<PrivateFolder> open(const std::string& base, const std::vector<std::string>& below,
                                           std::string* why);

  PrivateFolder(PrivateFolder&& other) noexcept;
  PrivateFolder& operator=(PrivateFolder&& other) noexcept;
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  ~PrivateFolder();

  const std::string& path() const { return path_; }
  std::string pathOf(std::string_view name) const;
  // The open descriptor, for a process that must go on working here.
  int descriptor() const { return fd_; }

  // The names in the folder, or nullopt when it cannot be read.
  std::optional<std::vector<std::string>> names() const;
  // The status of an entry, never following a link.
  std::optional<FileStatus> statusOf(std::string_view name) const;
  // Whether the entry is a regular file of this user that nobody else may
  // write: the only kind this folder's users read, keep or remove.
  bool holdsOwnFile(std::string_view name) const;
  // Removes the entry only when it is such a file.
  bool removeOwnFile(std::string_view name) const;
  // Makes a new empty file (0600); false, with *why, when it exists or
  // cannot be made.
  bool createFile(std::string_view name, std::string* why) const;
  bool rename(std::string_view from, std::string_view to, std::string* why) const;
  // Marks the file as used now (its access time), leaving its modification
  // time as it is.
  bool markUsed(std::string_view name) const;
  // The lock on the file name (made 0600 when missing, never through a
  // link), taken without waiting; see FileLock::tryExclusive.
  std::optional<FileLock> tryLock(std::string_view name, std::string* why, bool* heldElsewhere) const;
  // The first bytes of an own file, at most limit.
  std::optional<std::string> readHead(std::string_view name, size_t limit) const;

 private:
  PrivateFolder(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::string path_;
};

// Whether a status describes what PrivateFolder trusts: this user's, and
// writable by nobody else.
bool isPrivateTo(const FileStatus& status, uint32_t userId);
uint32_t effectiveUserId();

}  // namespace kvx::platform
