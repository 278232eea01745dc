// Whole directory trees: listing, copying and removing them.
//
// Each gives false (or no value) on failure, with one line in *error that
// names the file at fault and holds the system's reason.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/interruption.h"

namespace kvx::platform {

// Every regular file under root, links followed, as paths relative to root
// in byte order. A link to nothing, a link that leads back into a directory
// above it, or a directory that cannot be read is an error.
std::optional<std::vector<std::string>> listFilesInTree(const std::string& root, std::string* error);

// Copies the tree at from into to, which must not exist yet. Files keep their
// permission bits (set-id bits aside). A symbolic link that stays inside the
// tree (relative, never climbing above from) is copied as a link; any other
// is replaced by a copy of what it names, so that the copy works wherever it
// is moved. Anything that is not a file, a directory or a link is an error.
// When interruptions are given, the copy stops at the next file once one
// has arrived ("interrupted by SIG…"). Whatever was copied before a failure
// stays for the caller to remove.
bool copyTree(const std::string& from, const std::string& to, std::string* error,
              const InterruptionGuard* interruptions = nullptr);

// Removes path and everything under it; links are removed, never followed.
// Nothing there is not an error.
bool removeTree(const std::string& path, std::string* error);

}  // namespace kvx::platform
