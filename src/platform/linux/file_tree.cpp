#include "platform/file_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "base/text.h"
#include "platform/file_creation.h"
#include "platform/files.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"

namespace kvx::platform {
namespace {

using DirectoryId = std::pair<dev_t, ino_t>;

bool fail(std::string* error, const std::string& path, const std::string& what, int code) {
  *error = path + ": " + what + ": " + systemErrorText(code);
  return false;
}

bool failPlain(std::string* error, const std::string& path, const std::string& what) {
  *error = path + ": " + what;
  return false;
}

// The entry names of a directory, without "." and "..".
std::optional<std::vector<std::string>> entryNames(const std::string& path, std::string* error) {
  std::string reason;
  std::optional<std::vector<std::string>> names = listDirectory(path, &reason);
  if (!names) failPlain(error, path, "cannot be read: " + reason);
  return names;
}

// stat with links followed; a link to nothing gets a reason of its own.
bool statFollowing(const std::string& path, struct stat* st, std::string* error) {
  if (stat(path.c_str(), st) == 0) return true;
  int code = errno;
  struct stat link;
  if (code == ENOENT && lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    return failPlain(error, path, "a link to nothing");
  }
  return fail(error, path, "cannot be read", code);
}

// Refuses a directory reached again below itself through a link.
bool enterDirectory(std::vector<DirectoryId>& above, const struct stat& st, const std::string& path,
                    std::string* error) {
  DirectoryId id{st.st_dev, st.st_ino};
  if (std::find(above.begin(), above.end(), id) != above.end()) {
    return failPlain(error, path, "a link leads back into a directory above it");
  }
  above.push_back(id);
  return true;
}

struct Listing {
  std::vector<DirectoryId> above;
  std::vector<std::string> files;
  std::string* error;
};

bool listInto(Listing& listing, const std::string& root, const std::string& relative) {
  std::string directory = joinPath(root, relative);
  std::optional<std::vector<std::string>> names = entryNames(directory, listing.error);
  if (!names) return false;
  for (const std::string& name : *names) {
    std::string path = joinPath(directory, name);
    struct stat st;
    if (!statFollowing(path, &st, listing.error)) return false;
    if (S_ISREG(st.st_mode)) {
      listing.files.push_back(joinPath(relative, name));
    } else if (S_ISDIR(st.st_mode)) {
      if (!enterDirectory(listing.above, st, path, listing.error)) return false;
      if (!listInto(listing, root, joinPath(relative, name))) return false;
      listing.above.pop_back();
    } else {
      return failPlain(listing.error, path, "not a file, a directory or a link");
    }
  }
  return true;
}

// Whether a link at relative (a path inside the tree) with this target
// names something inside the tree by a way that stays inside it.
bool linkStaysInside(const std::string& relative, const std::string& target) {
  if (target.empty() || target[0] == '/') return false;
  int depth = 0;
  for (std::string_view part : splitAt(deletingLastPathComponent(relative), '/')) {
    if (!part.empty()) ++depth;
  }
  for (std::string_view part : splitAt(target, '/')) {
    if (part.empty() || part == ".") continue;
    depth += part == ".." ? -1 : 1;
    if (depth < 0) return false;
  }
  return true;
}

struct TreeCopy {
  std::string root;
  const TreeCopyOptions& options;
  std::vector<DirectoryId> above;
  std::string* error;
};

bool copyEntry(TreeCopy& copy, const std::string& relative, const FilePlace& to);

bool copyDirectory(TreeCopy& copy, const std::string& relative, const FilePlace& to, const struct stat& st) {
  std::string from = joinPath(copy.root, relative);
  if (!enterDirectory(copy.above, st, from, copy.error)) return false;
  if (mkdirat(to.directory(), to.path().c_str(), 0700) != 0) {
    return fail(copy.error, to.shown(), "cannot be made", errno);
  }
  std::optional<std::vector<std::string>> names = entryNames(from, copy.error);
  if (!names) return false;
  for (const std::string& name : *names) {
    if (!copyEntry(copy, joinPath(relative, name), to.child(name))) return false;
  }
  copy.above.pop_back();
  // The owner keeps the right to change what was made, so it can be removed again.
  if (fchmodat(to.directory(), to.path().c_str(), (st.st_mode & 0777) | 0700, 0) != 0) {
    return fail(copy.error, to.shown(), "cannot be made", errno);
  }
  return true;
}

bool danglingLink(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

bool copyEntry(TreeCopy& copy, const std::string& relative, const FilePlace& to) {
  const InterruptionGuard* interruptions = copy.options.interruptions;
  if (interruptions && interruptions->heldSignal() != 0) {
    return failPlain(copy.error, to.shown(), "interrupted by " + signalName(interruptions->heldSignal()));
  }
  std::string from = joinPath(copy.root, relative);
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) return fail(copy.error, from, "cannot be read", errno);
  if (S_ISLNK(st.st_mode)) {
    std::optional<std::string> target = readLink(from);
    if (!target) return fail(copy.error, from, "cannot be read", errno);
    if (copy.options.skippedLinks && danglingLink(from)) {
      copy.options.skippedLinks->push_back(relative);
      return true;
    }
    if (!statFollowing(from, &st, copy.error)) return false;
    if (linkStaysInside(relative, *target)) return createSymbolicLink(*target, to, copy.error);
  }
  if (S_ISDIR(st.st_mode)) return copyDirectory(copy, relative, to, st);
  if (S_ISREG(st.st_mode)) return copyNewFile(from, to, copy.error);
  return failPlain(copy.error, from, "not a file, a directory or a link");
}

// The entry names of the directory at place, never following a link to it.
std::optional<std::vector<std::string>> namesAt(const FilePlace& place, std::string* error) {
  std::optional<std::vector<DirectoryEntry>> entries = listDirectoryAt(place.directory(), place.path(), false);
  if (!entries) {
    fail(error, place.shown(), "cannot be read", errno);
    return std::nullopt;
  }
  std::vector<std::string> names;
  for (DirectoryEntry& entry : *entries) names.push_back(std::move(entry.name));
  return names;
}

bool removeEntry(const FilePlace& place, std::string* error) {
  const int at = place.directory();
  const std::string path = place.path();
  struct stat st;
  if (fstatat(at, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT || fail(error, place.shown(), "cannot be removed", errno);
  }
  if (!S_ISDIR(st.st_mode)) {
    return unlinkat(at, path.c_str(), 0) == 0 || fail(error, place.shown(), "cannot be removed", errno);
  }
  if ((st.st_mode & 0700) != 0700) fchmodat(at, path.c_str(), st.st_mode | 0700, 0);
  std::optional<std::vector<std::string>> names = namesAt(place, error);
  if (!names) return false;
  for (const std::string& name : *names) {
    if (!removeEntry(place.child(name), error)) return false;
  }
  return unlinkat(at, path.c_str(), AT_REMOVEDIR) == 0 || fail(error, place.shown(), "cannot be removed", errno);
}

struct Search {
  DirectoryId target;
  std::vector<DirectoryId> above;
};

// The walk of listInto, looking for one directory; errors end that branch.
std::optional<std::string> searchInto(Search& search, const std::string& root, const std::string& relative) {
  std::string ignored;
  std::optional<std::vector<std::string>> names = entryNames(joinPath(root, relative), &ignored);
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    std::string inside = joinPath(relative, name);
    struct stat st;
    if (stat(joinPath(root, inside).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    if (DirectoryId{st.st_dev, st.st_ino} == search.target) return inside;
    if (!enterDirectory(search.above, st, inside, &ignored)) continue;
    std::optional<std::string> found = searchInto(search, root, inside);
    search.above.pop_back();
    if (found) return found;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> pathIntoDirectory(const std::string& root, const std::string& target) {
  struct stat rootStatus, targetStatus;
  if (stat(root.c_str(), &rootStatus) != 0 || stat(target.c_str(), &targetStatus) != 0) return std::nullopt;
  Search search{{targetStatus.st_dev, targetStatus.st_ino}, {{rootStatus.st_dev, rootStatus.st_ino}}};
  if (search.above.front() == search.target) return "";
  return searchInto(search, root, "");
}

std::optional<std::vector<std::string>> listFilesInTree(const std::string& root, std::string* error) {
  Listing listing{{}, {}, error};
  struct stat st;
  if (!statFollowing(root, &st, error)) return std::nullopt;
  if (!S_ISDIR(st.st_mode)) {
    failPlain(error, root, "not a directory");
    return std::nullopt;
  }
  listing.above.emplace_back(st.st_dev, st.st_ino);
  if (!listInto(listing, root, "")) return std::nullopt;
  std::sort(listing.files.begin(), listing.files.end());
  return std::move(listing.files);
}

bool copyTree(const std::string& from, const FilePlace& to, std::string* error, const TreeCopyOptions& options) {
  TreeCopy copy{from, options, {}, error};
  struct stat st;
  if (!statFollowing(from, &st, error)) return false;
  if (!S_ISDIR(st.st_mode)) return failPlain(error, from, "not a directory");
  return copyDirectory(copy, "", to, st);
}

bool removeTree(const FilePlace& place, std::string* error) { return removeEntry(place, error); }

}  // namespace kvx::platform
