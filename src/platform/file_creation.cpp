#include "platform/file_creation.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/paths.h"
#include "platform/descriptor_io.h"
#include "platform/system_error.h"

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

// The permission bits a plain mkdir gives: everything the umask leaves.
mode_t directoryModeByUmask() {
  // The only way to read the umask sets it; it is put back at once.
  mode_t mask = umask(0);
  umask(mask);
  return 0777 & ~mask;
}

}  // namespace

std::optional<std::vector<std::string>> createDirectories(const std::string& path, std::string* error) {
  std::vector<std::string> made;
  std::string prefix = !path.empty() && path[0] == '/' ? "/" : "";
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    prefix = joinPath(prefix, part);
    struct stat st;
    if (stat(prefix.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    if (mkdir(prefix.c_str(), 0777) != 0) {
      fail(error, prefix, "cannot be made", errno);
      return std::nullopt;
    }
    made.push_back(prefix);
  }
  return made;
}

std::optional<std::string> createUniqueDirectory(const std::string& parent, const std::string& prefix,
                                                 std::string* error) {
  std::string path = joinPath(parent, prefix + "XXXXXX");
  if (!mkdtemp(path.data())) {
    fail(error, parent, "cannot hold a new directory", errno);
    return std::nullopt;
  }
  if (chmod(path.c_str(), directoryModeByUmask()) != 0) {
    fail(error, path, "cannot be made", errno);
    rmdir(path.c_str());
    return std::nullopt;
  }
  return path;
}

bool renameWithoutReplacing(const std::string& from, const std::string& to, std::string* error) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return fail(error, to, "cannot be made", errno);
  // A file system without the flag: look first; the window is as small as it gets there.
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return fail(error, to, "cannot be made", EEXIST);
  return rename(from.c_str(), to.c_str()) == 0 || fail(error, to, "cannot be made", errno);
}

bool writeNewFile(const std::string& path, std::string_view bytes, uint32_t mode, std::string* error) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return fail(error, path, "cannot be written", errno);
  bool written = detail::writeAll(fd, bytes) && fchmod(fd, static_cast<mode_t>(mode)) == 0;
  int code = errno;
  if (close(fd) != 0 && written) {
    written = false;
    code = errno;
  }
  return written || fail(error, path, "cannot be written", code);
}

bool copyNewFile(const std::string& from, const std::string& to, std::string* error) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (in < 0 || fstat(in, &st) != 0) {
    int code = errno;
    if (in >= 0) close(in);
    return fail(error, from, "cannot be read", code);
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    int code = errno;
    close(in);
    return fail(error, to, "cannot be written", code);
  }
  bool copied = copyBytes(in, out) && fchmod(out, st.st_mode & 0777) == 0;
  int code = errno;
  close(in);
  if (close(out) != 0 && copied) {
    copied = false;
    code = errno;
  }
  return copied || fail(error, to, "cannot be written", code);
}

bool createSymbolicLink(const std::string& target, const std::string& path, std::string* error) {
  return symlink(target.c_str(), path.c_str()) == 0 || fail(error, path, "cannot be made", errno);
}

}  // namespace kvx::platform
