// What the file system says about one file, and about the room left on it:
// enough to tell whether a file is still the one that was written earlier.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kvx::platform {

struct FileStatus {
  enum class Kind { Regular, Directory, Other };
  Kind kind = Kind::Other;
  uint64_t size = 0;
  // The last modification, in nanoseconds since the epoch.
  int64_t modifiedNanoseconds = 0;

  bool isRegular() const { return kind == Kind::Regular; }
  bool isDirectory() const { return kind == Kind::Directory; }
};

// The status of path (links followed), or nullopt when it does not exist or
// cannot be examined.
std::optional<FileStatus> fileStatus(const std::string& path);

// The bytes an unprivileged writer may still add on the file system that
// holds path, or nullopt when the system cannot say.
std::optional<uint64_t> availableSpace(const std::string& path);

}  // namespace kvx::platform
