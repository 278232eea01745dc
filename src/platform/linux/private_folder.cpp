#include "platform/private_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/files.h"
#include "platform/linux/file_status_of.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace kvx::platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::optional<FileStatus> statusOfOpen(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return std::nullopt;
  return detail::statusOf(st);
}

bool isSticky(const FileStatus& status) { return (status.permissions & S_ISVTX) != 0; }

bool isOneName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// The base may be shared (a cache folder for several users with the sticky
// bit); it must not let another user replace what this one makes in it.
bool baseIsSafe(const FileStatus& status, std::string* why, const std::string& path) {
  uint32_t me = effectiveUserId();
  if (!status.isDirectory()) {
    *why = path + ": not a folder";
  } else if (status.ownerId != me && !isSticky(status)) {
    *why = path + ": belongs to another user (" + std::to_string(status.ownerId) + ")";
  } else if (status.ownerId == me && (status.permissions & 022) != 0 && !isSticky(status)) {
    *why = path + ": may be written by other users";
  } else {
    return true;
  }
  return false;
}

// Makes a missing base whose parent is this user's own (0700, as the
// standard folders for a user's files are).
int openBase(const std::string& base, std::string* why) {
  int fd = ::open(base.c_str(), kFolderFlags);
  if (fd < 0 && errno == ENOENT) {
    std::optional<FileStatus> parent = linkStatus(deletingLastPathComponent(base));
    if (!parent || !parent->isDirectory() || parent->ownerId != effectiveUserId()) {
      *why = base + ": missing, and its parent is not this user's own";
      return -1;
    }
    if (mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) {
      *why = base + ": cannot be made: " + systemErrorText(errno);
      return -1;
    }
    fd = ::open(base.c_str(), kFolderFlags);
  }
  if (fd < 0) *why = base + ": cannot be opened: " + systemErrorText(errno);
  return fd;
}

// Opens (making it when missing) the folder name inside the open folder
// parent; the descriptor, or -1 with *why.
int openBelow(int parent, const std::string& name, const std::string& path, std::string* why) {
  if (!isOneName(name)) {
    *why = "\"" + name + "\": not a folder name";
    return -1;
  }
  if (mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST) {
    *why = path + ": cannot be made: " + systemErrorText(errno);
    return -1;
  }
  int fd = openat(parent, name.c_str(), kFolderFlags);
  if (fd < 0) {
    *why = path + (errno == ELOOP || errno == ENOTDIR ? ": not a folder (a link, or a file)"
                                                      : ": cannot be opened: " + systemErrorText(errno));
    return -1;
  }
  std::optional<FileStatus> status = statusOfOpen(fd);
  if (!status || !isPrivateTo(*status, effectiveUserId())) {
    *why = path + ": belongs to another user or may be written by others";
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

uint32_t effectiveUserId() { return static_cast<uint32_t>(geteuid()); }

bool isPrivateTo(const FileStatus& status, uint32_t userId) {
  return status.ownerId == userId && (status.permissions & 022) == 0;
}

std::optional<PrivateFolder> PrivateFolder::open(const std::string& base, const std::vector<std::string>& below,
                                                 std::string* why) {
  if (!isAbsolutePath(base)) {
    *why = base + ": not an absolute path";
    return std::nullopt;
  }
  int fd = openBase(base, why);
  if (fd < 0) return std::nullopt;
  std::optional<FileStatus> status = statusOfOpen(fd);
  if (!status || !baseIsSafe(*status, why, base)) {
    close(fd);
    return std::nullopt;
  }
  std::string path = base;
  for (const std::string& name : below) {
    path = joinPath(path, name);
    int next = openBelow(fd, name, path, why);
    close(fd);
    if (next < 0) return std::nullopt;
    fd = next;
  }
  return PrivateFolder(fd, path);
}

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

PrivateFolder::~PrivateFolder() {
  if (fd_ >= 0) close(fd_);
}

std::string PrivateFolder::pathOf(std::string_view name) const { return joinPath(path_, name); }

std::optional<std::vector<std::string>> PrivateFolder::names() const {
  std::optional<std::vector<DirectoryEntry>> entries = listDirectoryAt(fd_, ".", false);
  if (!entries) return std::nullopt;
  std::vector<std::string> names;
  for (DirectoryEntry& entry : *entries) names.push_back(std::move(entry.name));
  return names;
}

std::optional<FileStatus> PrivateFolder::statusOf(std::string_view name) const {
  struct stat st;
  std::string entry(name);
  if (!isOneName(entry) || fstatat(fd_, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return detail::statusOf(st);
}

bool PrivateFolder::holdsOwnFile(std::string_view name) const {
  std::optional<FileStatus> status = statusOf(name);
  return status && status->isRegular() && isPrivateTo(*status, effectiveUserId());
}

bool PrivateFolder::removeOwnFile(std::string_view name) const {
  return holdsOwnFile(name) && unlinkat(fd_, std::string(name).c_str(), 0) == 0;
}

bool PrivateFolder::createFile(std::string_view name, std::string* why) const {
  std::string entry(name);
  int fd = isOneName(entry) ? openat(fd_, entry.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)
                            : -1;
  if (fd < 0) {
    *why = pathOf(name) + ": cannot be made: " + systemErrorText(errno);
    return false;
  }
  close(fd);
  return true;
}

bool PrivateFolder::rename(std::string_view from, std::string_view to, std::string* why) const {
  std::string source(from);
  std::string target(to);
  if (!isOneName(source) || !isOneName(target) ||
      renameat(fd_, source.c_str(), fd_, target.c_str()) != 0) {
    *why = pathOf(from) + ": cannot be renamed to " + target + ": " + systemErrorText(errno);
    return false;
  }
  return true;
}

bool PrivateFolder::markUsed(std::string_view name) const {
  std::string entry(name);
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_NOW;
  times[1].tv_sec = 0;
  times[1].tv_nsec = UTIME_OMIT;
  return isOneName(entry) && utimensat(fd_, entry.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<FileLock> PrivateFolder::tryLock(std::string_view name, std::string* why, bool* heldElsewhere) const {
  *heldElsewhere = false;
  std::string entry(name);
  int fd = isOneName(entry) ? openat(fd_, entry.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600) : -1;
  if (fd < 0) {
    *why = pathOf(name) + ": cannot be opened: " + systemErrorText(errno);
    return std::nullopt;
  }
  std::optional<FileStatus> status = statusOfOpen(fd);
  if (!status || !status->isRegular() || !isPrivateTo(*status, effectiveUserId())) {
    close(fd);
    *why = pathOf(name) + ": not a file of this user's own";
    return std::nullopt;
  }
  return FileLock::tryExclusiveOn(fd, pathOf(name), why, heldElsewhere);
}

std::optional<std::string> PrivateFolder::readHead(std::string_view name, size_t limit) const {
  std::string entry(name);
  int fd = isOneName(entry) ? openat(fd_, entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC) : -1;
  if (fd < 0) return std::nullopt;
  std::optional<FileStatus> status = statusOfOpen(fd);
  std::string bytes(limit, '\0');
  ssize_t n = status && status->isRegular() && isPrivateTo(*status, effectiveUserId())
                  ? pread(fd, bytes.data(), limit, 0)
                  : -1;
  close(fd);
  if (n < 0) return std::nullopt;
  bytes.resize(static_cast<size_t>(n));
  return bytes;
}

}  // namespace kvx::platform
