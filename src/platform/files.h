// The file system, as far as the launcher reads and writes it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::platform {

// True for a file, a directory or anything else that exists (links followed).
bool fileExists(const std::string& path);
bool isDirectory(const std::string& path);
// True for a symbolic link itself, whatever it points at.
bool isSymbolicLink(const std::string& path);
// True when something is at path, a link to nothing included.
bool entryExists(const std::string& path);
// A regular file (links followed) that this process may run.
bool isExecutableFile(const std::string& path);
struct DirectoryEntry {
  std::string name;
  bool isSymbolicLink = false;
};
// The one directory listing: the entries of the directory at path (relative
// to the open directory at, or to the working directory with AT_FDCWD)
// without "." and "..", in the system's order, each with whether it is a
// symbolic link. A link at path itself is followed only with followLink.
// Nullopt with errno set when it cannot be listed.
std::optional<std::vector<DirectoryEntry>> listDirectoryAt(int at, const std::string& path, bool followLink);
// The names of a directory's entries, links at path followed; nullopt when
// it cannot be listed, and then *error, when given, says why.
std::optional<std::vector<std::string>> listDirectory(const std::string& path,
                                                      std::string* error = nullptr);
// The listing with whether each entry is a symbolic link.
std::optional<std::vector<DirectoryEntry>> listDirectoryEntries(const std::string& path);
// The text of the symbolic link at path, however long; nullopt with errno
// set when there is no link or it cannot be read.
std::optional<std::string> readLink(const std::string& path);
// The whole of a regular file (links followed) of at most limit bytes, or
// nullopt when it cannot be read; *error, when given, then says why in one
// line without the path. Only regular files are read, and opening never
// waits: a FIFO would block the start forever and a device such as /dev/zero
// never ends, so both count as unreadable, like a file past the limit.
std::optional<std::string> readFile(const std::string& path, size_t limit,
                                    std::string* error = nullptr);
// The first limit bytes of a regular file (all of a shorter one), or nullopt
// when it cannot be read or is no regular file.
std::optional<std::string> readFileHead(const std::string& path, size_t limit);
// Creates one directory; false when it exists already or cannot be made.
bool createDirectory(const std::string& path);
bool removeDirectory(const std::string& path);
// Creates a new, empty file; false when it exists already or cannot be made
// (*error says why).
bool createNewFile(const std::string& path, std::string* error);
// Removes a file (not a directory); false when there was none or it stays.
bool removeFile(const std::string& path);
// Renames in one step: readers of to see the old file or the new one, never
// neither. Both must be on one file system.
bool renameFile(const std::string& from, const std::string& to, std::string* error);
bool changeCurrentDirectory(const std::string& path);
// The path as it names a file now: a relative one joined to the current
// directory, so that it still names the same file after the directory has
// changed. Nullopt for an empty path, which names nothing, and when the
// current directory cannot be told (removed, or out of reach).
std::optional<std::string> absolutePath(const std::string& path);

}  // namespace kvx::platform
