#include "platform/file_status.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace kvx::platform {

std::optional<FileStatus> fileStatus(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStatus status;
  if (S_ISREG(st.st_mode)) status.kind = FileStatus::Kind::Regular;
  if (S_ISDIR(st.st_mode)) status.kind = FileStatus::Kind::Directory;
  status.size = static_cast<uint64_t>(st.st_size);
  status.modifiedNanoseconds =
      static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return status;
}

std::optional<uint64_t> availableSpace(const std::string& path) {
  struct statvfs fs;
  if (statvfs(path.c_str(), &fs) != 0) return std::nullopt;
  return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
}

}  // namespace kvx::platform
