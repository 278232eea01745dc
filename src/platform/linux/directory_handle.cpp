#include "platform/directory_handle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace kvx::platform {
namespace {

std::optional<DirectoryHandle> failed(std::string* error, const std::string& path, int code) {
  *error = path + ": cannot be opened as a directory: " + systemErrorText(code);
  return std::nullopt;
}

}  // namespace

std::optional<DirectoryHandle> DirectoryHandle::open(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return failed(error, path, errno);
  return DirectoryHandle(fd, path);
}

std::optional<DirectoryHandle> DirectoryHandle::openInside(const DirectoryHandle& parent, const std::string& name,
                                                           std::string* error) {
  int fd = openat(parent.descriptor_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  std::string path = joinPath(parent.path_, name);
  if (fd < 0) return failed(error, path, errno);
  return DirectoryHandle(fd, path);
}

DirectoryHandle::~DirectoryHandle() {
  if (descriptor_ >= 0) close(descriptor_);
}

DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept
    : descriptor_(other.descriptor_), path_(std::move(other.path_)) {
  other.descriptor_ = -1;
}

FilePlace::FilePlace(const std::string& path) : FilePlace(AT_FDCWD, path, "") {}

FilePlace::FilePlace(const DirectoryHandle& directory, const std::string& relative)
    : FilePlace(directory.descriptor(), relative, directory.path()) {}

FilePlace FilePlace::child(const std::string& name) const {
  return FilePlace(directory_, joinPath(path_, name), shownDirectory_);
}

FilePlace FilePlace::parent() const {
  return FilePlace(directory_, deletingLastPathComponent(path_), shownDirectory_);
}

std::string FilePlace::shown() const {
  if (shownDirectory_.empty()) return path_;
  return path_.empty() ? shownDirectory_ : joinPath(shownDirectory_, path_);
}

}  // namespace kvx::platform
