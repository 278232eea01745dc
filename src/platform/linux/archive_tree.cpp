#include "platform/archive_tree.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/files.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace kvx::platform {
namespace {

struct Walk {
  std::optional<int64_t> time;
  std::string* error;
  bool librariesExecutable;
  ArchiveTree result;

  bool fail(const std::string& path, const std::string& what, int code) {
    *error = path + ": " + what + ": " + systemErrorText(code);
    return false;
  }

  bool stamp(const std::string& path) {
    if (!time) return true;
    struct timespec times[2] = {{*time, 0}, {*time, 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0) return true;
    return fail(path, "cannot set its time", errno);
  }

  bool setMode(const std::string& path, mode_t mode) {
    if (chmod(path.c_str(), mode) == 0) return true;
    return fail(path, "cannot set its mode", errno);
  }

  bool visit(const std::string& path, const std::string& relative) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return fail(path, "cannot be examined", errno);
    if (S_ISLNK(st.st_mode)) {
      result.kibibytes += 1;
      return stamp(path);
    }
    if (S_ISREG(st.st_mode)) {
      result.files.push_back(relative);
      result.kibibytes += (static_cast<uint64_t>(st.st_size) + 1023) / 1024;
      std::string name = lastPathComponent(path);
      bool library = name.ends_with(".so") || name.find(".so.") != std::string::npos;
      bool executable = (st.st_mode & 0111) || (librariesExecutable && library);
      return setMode(path, executable ? 0755 : 0644) && stamp(path);
    }
    if (!S_ISDIR(st.st_mode)) {
      *error = path + ": neither a file, a directory nor a link";
      return false;
    }
    result.kibibytes += 1;
    std::string reason;
    std::optional<std::vector<std::string>> names = listDirectory(path, &reason);
    if (!names) {
      *error = path + ": cannot be read: " + reason;
      return false;
    }
    std::sort(names->begin(), names->end());
    for (const std::string& name : *names) {
      if (!visit(joinPath(path, name), joinPath(relative, name))) return false;
    }
    // The directory's own time last: its entries' changes would move it.
    return setMode(path, 0755) && stamp(path);
  }
};

}  // namespace

std::optional<ArchiveTree> prepareArchiveTree(const std::string& root, std::optional<int64_t> time,
                                              std::string* error, bool librariesExecutable) {
  Walk walk{time, error, librariesExecutable, {}};
  if (!walk.visit(root, "")) return std::nullopt;
  std::sort(walk.result.files.begin(), walk.result.files.end());
  return std::move(walk.result);
}

}  // namespace kvx::platform
