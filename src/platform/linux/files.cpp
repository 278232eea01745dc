#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/text.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace kvx::platform {

bool fileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymbolicLink(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<std::vector<DirectoryEntry>> listDirectoryAt(int at, const std::string& path, bool followLink) {
  int fd = openat(at, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
  DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
  if (!dir) {
    int failure = errno;
    if (fd >= 0) close(fd);
    errno = failure;
    return std::nullopt;
  }
  std::vector<DirectoryEntry> entries;
  while (const struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // Most file systems say what an entry is; the others are asked.
    struct stat st;
    bool link = entry->d_type == DT_LNK ||
                (entry->d_type == DT_UNKNOWN && fstatat(dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                 S_ISLNK(st.st_mode));
    entries.push_back({std::move(name), link});
  }
  closedir(dir);
  return entries;
}

std::optional<std::vector<DirectoryEntry>> listDirectoryEntries(const std::string& path) {
  return listDirectoryAt(AT_FDCWD, path, true);
}

bool entryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool isExecutableFile(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

std::optional<std::vector<std::string>> listDirectory(const std::string& path, std::string* error) {
  std::optional<std::vector<DirectoryEntry>> entries = listDirectoryAt(AT_FDCWD, path, true);
  if (!entries) {
    if (error != nullptr) *error = systemErrorText(errno);
    return std::nullopt;
  }
  std::vector<std::string> names;
  names.reserve(entries->size());
  for (DirectoryEntry& entry : *entries) names.push_back(std::move(entry.name));
  return names;
}

std::optional<std::string> readLink(const std::string& path) {
  // readlink cannot say how long a link is: the buffer grows until the
  // target fits with room to spare.
  std::string target(1024, '\0');
  for (;;) {
    ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return std::nullopt;
    if (static_cast<size_t>(n) < target.size()) {
      target.resize(static_cast<size_t>(n));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

namespace {

// Opens a regular file for reading without waiting on whatever else the path
// may name; -1 with *error set otherwise.
int openRegularFile(const std::string& path, struct stat* st, std::string* error) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *error = systemErrorText(errno);
    return -1;
  }
  if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    *error = S_ISDIR(st->st_mode) ? "is a directory" : "is not a regular file";
    close(fd);
    return -1;
  }
  return fd;
}

// Appends up to limit bytes; false on a read error.
bool readUpTo(int fd, size_t limit, std::string& bytes) {
  char buf[65536];
  while (bytes.size() < limit) {
    const size_t wanted = std::min(sizeof buf, limit - bytes.size());
    ssize_t n = read(fd, buf, wanted);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

std::optional<std::string> readFile(const std::string& path, size_t limit, std::string* error) {
  std::string reason;
  struct stat st {};
  int fd = openRegularFile(path, &st, &reason);
  std::string content;
  if (fd >= 0) {
    if (st.st_size > 0) content.reserve(std::min(static_cast<size_t>(st.st_size), limit));
    // One byte past the limit tells a file at the limit from a longer one,
    // even one that grew since fstat or that reports no size, as /proc does.
    if (!readUpTo(fd, limit + 1, content)) reason = systemErrorText(errno);
    else if (content.size() > limit) reason = "is larger than " + std::to_string(limit) + " bytes";
    close(fd);
  }
  if (reason.empty()) return content;
  if (error != nullptr) *error = reason;
  return std::nullopt;
}

std::optional<std::string> readFileHead(const std::string& path, size_t limit) {
  std::string reason;
  struct stat st {};
  int fd = openRegularFile(path, &st, &reason);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  bool read = readUpTo(fd, limit, bytes);
  close(fd);
  if (!read) return std::nullopt;
  return bytes;
}

bool createDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool removeDirectory(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool createNewFile(const std::string& path, std::string* error) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = path + ": cannot be created: " + systemErrorText(errno);
    return false;
  }
  close(fd);
  return true;
}

bool removeFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool renameFile(const std::string& from, const std::string& to, std::string* error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  *error = from + ": cannot be renamed to " + to + ": " + systemErrorText(errno);
  return false;
}

bool changeCurrentDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

std::optional<std::string> absolutePath(const std::string& path) {
  if (path.empty()) return std::nullopt;
  if (path.starts_with('/')) return path;
  // The C library sizes the buffer itself, however deep the directory lies.
  char* current = getcwd(nullptr, 0);
  if (current == nullptr) return std::nullopt;
  std::string result(current);
  free(current);
  // "." and empty components name nothing; ".." is kept, as it may climb
  // out of a linked directory rather than undo the component before it.
  for (std::string_view component : splitAt(path, '/')) {
    if (!component.empty() && component != ".") result = joinPath(result, component);
  }
  return result;
}

}  // namespace kvx::platform
