#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/linux/descriptor_io.h"
#include "platform/linux/file_identity.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace kvx::platform {
namespace {

// What follows a replaced file's name in the name of its temporary file,
// before the six characters that make the name unique.
constexpr std::string_view kPartialMarker = ".kvx-partial-";
constexpr size_t kUniqueCharacters = 6;
// Each attempt loses only to a sweeper that took the new file for a leftover
// in the instant before it was locked; running out of them takes a directory
// full of writers that keep dying.
constexpr int kCreateAttempts = 100;

// Whether path names the very file open as fd.
bool namesOpenFile(const std::string& path, int fd) {
  struct stat named, open;
  return lstat(path.c_str(), &named) == 0 && fstat(fd, &open) == 0 && detail::isSameFile(named, open);
}

// A name mkstemp could have made for path's temporary file.
bool isPartialName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + kUniqueCharacters || !name.starts_with(prefix)) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (!isalnum(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

// Removes one temporary file when no writer holds it: its writer died before
// its rename. One still being written is locked by its writer and kept.
void removeIfAbandoned(const std::string& candidate) {
  int fd = open(candidate.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  // The name is checked again under the lock: the file may have been renamed
  // into place, or removed and its name taken by a new writer, meanwhile.
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && detail::lockExclusive(fd, /*wait=*/false) &&
      namesOpenFile(candidate, fd)) {
    unlink(candidate.c_str());
  }
  close(fd);
}

void removeAbandonedPartials(const std::string& path) {
  std::string directory = deletingLastPathComponent(path);
  if (directory.empty()) directory = ".";
  const std::string prefix = lastPathComponent(path) + std::string(kPartialMarker);
  std::optional<std::vector<std::string>> names = listDirectory(directory);
  if (!names) return;
  for (const std::string& name : *names) {
    if (isPartialName(name, prefix)) removeIfAbandoned(joinPath(directory, name));
  }
}

// A new temporary file beside path, locked for as long as it stays open, and
// its name; -1 with *error set when none can be made.
int createLockedPartial(const std::string& path, std::string* temporary, std::string* error) {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    *temporary = path + std::string(kPartialMarker) + std::string(kUniqueCharacters, 'X');
    int fd = mkostemp(temporary->data(), O_CLOEXEC);
    if (fd < 0) {
      *error = "cannot create a file beside it: " + systemErrorText(errno);
      return -1;
    }
    // Without locks (some network file systems) no sweeper can lock it either,
    // so it is safe from them all the same.
    bool locked = detail::lockExclusive(fd, /*wait=*/true);
    if (!locked || namesOpenFile(*temporary, fd)) return fd;
    close(fd);
  }
  *error = "cannot create a file beside it: each new one was taken away at once";
  return -1;
}

}  // namespace

std::optional<uint32_t> filePermissions(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<uint32_t>(st.st_mode & 07777);
}

bool isSameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         detail::isSameFile(first, second);
}

bool replaceFile(const std::string& path, std::string_view bytes, uint32_t mode, std::string* error) {
  removeAbandonedPartials(path);
  std::string temporary;
  int fd = createLockedPartial(path, &temporary, error);
  if (fd < 0) return false;
  int failure = 0;
  if (!detail::writeAll(fd, bytes) || fchmod(fd, static_cast<mode_t>(mode)) != 0 || fsync(fd) != 0) {
    failure = errno;
  }
  // The lock is held until the rename: a sweeper must never take a file that
  // is still being written for a leftover.
  if (failure == 0 && rename(temporary.c_str(), path.c_str()) == 0) {
    close(fd);  // fsync has reported any write error already
    return true;
  }
  *error = systemErrorText(failure != 0 ? failure : errno);
  unlink(temporary.c_str());
  close(fd);
  return false;
}

}  // namespace kvx::platform
