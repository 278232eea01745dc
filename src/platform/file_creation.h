// Making new entries in the file system. None of these replaces something
// that is already there. Each gives false (or no value) on failure, with one
// line in *error that names the path at fault and holds the system's reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::platform {

// Makes path and every missing directory above it. Gives the directories it
// made, uppermost first, so that a caller can take them away again.
std::optional<std::vector<std::string>> createDirectories(const std::string& path, std::string* error);

// A new directory in parent named prefix and six characters that no other
// entry there has, with the permissions a plain mkdir would give it.
std::optional<std::string> createUniqueDirectory(const std::string& parent, const std::string& prefix,
                                                 std::string* error);

// Renames from to to; fails when anything is at to, an empty directory
// included, rather than replacing it.
bool renameWithoutReplacing(const std::string& from, const std::string& to, std::string* error);

// A new file holding bytes, with the permission bits in mode.
bool writeNewFile(const std::string& path, std::string_view bytes, uint32_t mode, std::string* error);

// A new file with the content and permission bits of from (links followed).
bool copyNewFile(const std::string& from, const std::string& to, std::string* error);

// A new symbolic link at path whose text is target.
bool createSymbolicLink(const std::string& target, const std::string& path, std::string* error);

}  // namespace kvx::platform
