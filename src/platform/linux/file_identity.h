// Telling one file from another inside the platform layer, whatever names
// lead to it.
#pragma once

#include <sys/stat.h>

namespace kvx::platform::detail {

// Whether two statuses describe one file: the same inode of one device.
inline bool isSameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace kvx::platform::detail
