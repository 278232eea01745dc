#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/descriptor_io.h"
#include "platform/system_error.h"

namespace kvx::platform {

std::optional<uint32_t> filePermissions(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<uint32_t>(st.st_mode & 07777);
}

bool isSameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool replaceFile(const std::string& path, std::string_view bytes, uint32_t mode, std::string* error) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) {
    *error = "cannot create a file beside it: " + systemErrorText(errno);
    return false;
  }
  int failure = 0;
  if (!detail::writeAll(fd, bytes) || fchmod(fd, static_cast<mode_t>(mode)) != 0 || fsync(fd) != 0) {
    failure = errno;
  }
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && rename(temporary.c_str(), path.c_str()) == 0) return true;
  *error = systemErrorText(failure != 0 ? failure : errno);
  unlink(temporary.c_str());
  return false;
}

}  // namespace kvx::platform
