#include "platform/file_status.h"

#include "platform/linux/file_status_of.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace kvx::platform {

namespace {

int64_t nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

}  // namespace

FileStatus detail::statusOf(const struct stat& st) {
  FileStatus status;
  if (S_ISREG(st.st_mode)) status.kind = FileStatus::Kind::Regular;
  if (S_ISDIR(st.st_mode)) status.kind = FileStatus::Kind::Directory;
  status.size = static_cast<uint64_t>(st.st_size);
  status.modifiedNanoseconds = nanoseconds(st.st_mtim);
  status.changedNanoseconds = nanoseconds(st.st_ctim);
  status.accessedNanoseconds = nanoseconds(st.st_atim);
  status.device = static_cast<uint64_t>(st.st_dev);
  status.inode = static_cast<uint64_t>(st.st_ino);
  status.ownerId = static_cast<uint32_t>(st.st_uid);
  status.permissions = static_cast<uint32_t>(st.st_mode & 07777);
  return status;
}

std::optional<FileStatus> fileStatus(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return std::nullopt;
  return detail::statusOf(st);
}

std::optional<FileStatus> linkStatus(const std::string& path) {
  struct stat st;
  if (path.empty() || lstat(path.c_str(), &st) != 0) return std::nullopt;
  return detail::statusOf(st);
}

std::optional<uint64_t> availableSpace(const std::string& path) {
  struct statvfs fs;
  if (statvfs(path.c_str(), &fs) != 0) return std::nullopt;
  return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
}

}  // namespace kvx::platform
