// Making new entries in the file system. None of these replaces something
// that is already there. Each gives false (or no value) on failure, with one
// line in *error that names the path at fault and holds the system's reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory_handle.h"

namespace kvx::platform {

// The one way to make a directory path (mkdir -p): makes place and every
// missing directory above it (inside an opened directory: every one below
// it). One that another process makes meanwhile is as good. Gives the
// directories it made as shown(), uppermost first, so that a caller can take
// them away again.
std::optional<std::vector<std::string>> createDirectories(const FilePlace& place, std::string* error);

// A new directory in parent named prefix and six characters that no other
// entry there has, with the permissions a plain mkdir would give it. Gives
// its place as parent.child(name) would.
std::optional<FilePlace> createUniqueDirectory(const FilePlace& parent, const std::string& prefix,
                                               std::string* error);

// A new directory only this user may enter (0700) in the temporary
// directory (TMPDIR, else /tmp), named prefix and six random characters.
// Gives its absolute path: made by mkdtemp, nobody else can put anything in
// it, so paths inside it are safe to hand to other programs.
std::optional<std::string> createPrivateTemporaryDirectory(const std::string& prefix, std::string* error);

// Renames from to to; fails when anything is at to, an empty directory
// included, rather than replacing it.
bool renameWithoutReplacing(const FilePlace& from, const FilePlace& to, std::string* error);

// A new file holding bytes, with the permission bits in mode.
bool writeNewFile(const FilePlace& place, std::string_view bytes, uint32_t mode, std::string* error);

// A new file with the content and permission bits of from (links followed).
// A copy that fails part way is taken away again.
bool copyNewFile(const std::string& from, const FilePlace& to, std::string* error);

// A new symbolic link at place whose text is target.
bool createSymbolicLink(const std::string& target, const FilePlace& place, std::string* error);

}  // namespace kvx::platform
