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
  // The last change of the file or its status. Unlike the modification time
  // nobody can set it back, so a file rewritten in place with its old size
  // and time still shows a new one.
  int64_t changedNanoseconds = 0;
  // The last access, as the file system keeps it (often only roughly).
  int64_t accessedNanoseconds = 0;
  // Which file it is: a replacement under the same name has another inode.
  uint64_t device = 0;
  uint64_t inode = 0;
  // The owner's user id and the permission bits.
  uint32_t ownerId = 0;
  uint32_t permissions = 0;

  bool isRegular() const { return kind == Kind::Regular; }
  bool isDirectory() const { return kind == Kind::Directory; }
};

// The status of path (links followed), or nullopt when it does not exist or
// cannot be examined.
std::optional<FileStatus> fileStatus(const std::string& path);

// The status of path itself: a symbolic link is reported as one (Other),
// never followed.
std::optional<FileStatus> linkStatus(const std::string& path);

// The bytes an unprivileged writer may still add on the file system that
// holds path, or nullopt when the system cannot say.
std::optional<uint64_t> availableSpace(const std::string& path);

}  // namespace kvx::platform
