// Whole directory trees: listing, copying and removing them.
//
// Each gives false (or no value) on failure, with one line in *error that
// names the file at fault and holds the system's reason.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/directory_handle.h"
#include "platform/interruption.h"

namespace kvx::platform {

// Every regular file under root, links followed, as paths relative to root
// in byte order. A link to nothing, a link that leads back into a directory
// above it, or a directory that cannot be read is an error.
std::optional<std::vector<std::string>> listFilesInTree(const std::string& root, std::string* error);

struct TreeCopyOptions {
  // When given, the copy stops at the next file once an interruption has
  // arrived ("interrupted by SIG…").
  const InterruptionGuard* interruptions = nullptr;
  // When given, a link to nothing is left out and its path relative to the
  // tree added here; otherwise it is an error.
  std::vector<std::string>* skippedLinks = nullptr;
};

// Copies the tree at from into to, which must not exist yet. Files keep their
// permission bits (set-id bits aside). A symbolic link that stays inside the
// tree (relative, never climbing above from) is copied as a link; any other
// is replaced by a copy of what it names, so that the copy works wherever it
// is moved. Anything that is not a file, a directory or a link is an error.
// Whatever was copied before a failure stays for the caller to remove.
bool copyTree(const std::string& from, const FilePlace& to, std::string* error,
              const TreeCopyOptions& options = {});

// Removes place and everything under it; links are removed, never followed.
// Nothing there is not an error.
bool removeTree(const FilePlace& place, std::string* error);

// The path inside root, links followed as listFilesInTree follows them, by
// which the walk of root would enter the directory at target (the same
// directory, not merely the same name); nullopt when it never would, or when
// target does not exist.
std::optional<std::string> pathIntoDirectory(const std::string& root, const std::string& target);

}  // namespace kvx::platform
