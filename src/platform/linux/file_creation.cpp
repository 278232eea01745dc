#include "platform/file_creation.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/linux/descriptor_io.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace kvx::platform {
namespace {

bool fail(std::string* error, const std::string& path, const std::string& what, int code) {
  *error = path + ": " + what + ": " + systemErrorText(code);
  return false;
}

bool copyBytes(int from, int to) {
  for (;;) {
    ssize_t n = copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0);
    if (n == 0) return true;
    if (n > 0 || errno == EINTR) continue;
    // Between file systems, or where the call is missing: copy by hand.
    if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return false;
    break;
  }
  char buffer[65536];
  for (;;) {
    ssize_t n = read(from, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    if (!detail::writeAll(to, std::string_view(buffer, static_cast<size_t>(n)))) return false;
  }
}

bool isDirectoryAt(int at, const std::string& path) {
  struct stat st;
  return fstatat(at, path.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::optional<std::vector<std::string>> createDirectories(const FilePlace& place, std::string* error) {
  std::vector<std::string> made;
  const std::string path = place.path();
  std::string prefix = path[0] == '/' ? "/" : "";
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    prefix = joinPath(prefix, part);
    if (isDirectoryAt(place.directory(), prefix)) continue;
    if (mkdirat(place.directory(), prefix.c_str(), 0777) != 0) {
      int failure = errno;
      // Another process may have made it in the meantime; that is as good.
      if (failure == EEXIST && isDirectoryAt(place.directory(), prefix)) continue;
      fail(error, place.withPath(prefix).shown(), "cannot be made", failure);
      return std::nullopt;
    }
    made.push_back(place.withPath(prefix).shown());
  }
  return made;
}

std::optional<FilePlace> createUniqueDirectory(const FilePlace& parent, const std::string& prefix,
                                               std::string* error) {
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned char random[6];
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) break;
    std::string name = prefix;
    for (unsigned char byte : random) name += kLetters[byte % (sizeof kLetters - 1)];
    FilePlace place = parent.child(name);
    // The umask gives the permissions, as it does to a plain mkdir.
    if (mkdirat(place.directory(), place.path().c_str(), 0777) == 0) return place;
    if (errno != EEXIST) break;
  }
  fail(error, parent.shown(), "cannot hold a new directory", errno);
  return std::nullopt;
}

std::optional<std::string> createPrivateTemporaryDirectory(const std::string& prefix, std::string* error) {
  std::string base = temporaryDirectory().value_or("/tmp/");
  std::optional<std::string> absolute = absolutePath(base);
  std::string pattern = joinPath(absolute.value_or(base), prefix + "XXXXXX");
  if (mkdtemp(pattern.data()) == nullptr) {
    fail(error, base, "cannot hold a new directory", errno);
    return std::nullopt;
  }
  return pattern;
}

bool renameWithoutReplacing(const FilePlace& from, const FilePlace& to, std::string* error) {
  if (renameat2(from.directory(), from.path().c_str(), to.directory(), to.path().c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return fail(error, to.shown(), "cannot be made", errno);
  // A file system without the flag: look first; the window is as small as it gets there.
  struct stat st;
  if (fstatat(to.directory(), to.path().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    return fail(error, to.shown(), "cannot be made", EEXIST);
  }
  return renameat(from.directory(), from.path().c_str(), to.directory(), to.path().c_str()) == 0 ||
         fail(error, to.shown(), "cannot be made", errno);
}

bool writeNewFile(const FilePlace& place, std::string_view bytes, uint32_t mode, std::string* error) {
  int fd = openat(place.directory(), place.path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return fail(error, place.shown(), "cannot be written", errno);
  bool written = detail::writeAll(fd, bytes) && fchmod(fd, static_cast<mode_t>(mode)) == 0;
  int code = errno;
  if (close(fd) != 0 && written) {
    written = false;
    code = errno;
  }
  return written || fail(error, place.shown(), "cannot be written", code);
}

bool copyNewFile(const std::string& from, const FilePlace& to, std::string* error) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (in < 0 || fstat(in, &st) != 0) {
    int code = errno;
    if (in >= 0) close(in);
    return fail(error, from, "cannot be read", code);
  }
  int out = openat(to.directory(), to.path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    int code = errno;
    close(in);
    return fail(error, to.shown(), "cannot be written", code);
  }
  bool copied = copyBytes(in, out) && fchmod(out, st.st_mode & 0777) == 0;
  int code = errno;
  close(in);
  if (close(out) != 0 && copied) {
    copied = false;
    code = errno;
  }
  if (copied) return true;
  // A half-written copy is never left behind as if it were one.
  unlinkat(to.directory(), to.path().c_str(), 0);
  return fail(error, to.shown(), "cannot be written", code);
}

bool createSymbolicLink(const std::string& target, const FilePlace& place, std::string* error) {
  return symlinkat(target.c_str(), place.directory(), place.path().c_str()) == 0 ||
         fail(error, place.shown(), "cannot be made", errno);
}

}  // namespace kvx::platform
