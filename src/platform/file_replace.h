// Writing a whole file so that readers see either the old file or the new
// one, never a half-written one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvx::platform {

// The permission bits of a file (links followed), or nullopt when it does not exist.
std::optional<uint32_t> filePermissions(const std::string& path);

// True when both paths name the same existing file.
bool isSameFile(const std::string& a, const std::string& b);

// Writes bytes to a temporary file beside path, gives it the permission bits
// in mode and renames it over path. On failure nothing is left behind and
// *error says why. The temporary file is named path, ".kvx-partial-" and six
// characters, and is locked until its rename; one that no process holds was
// left by a writer killed before its rename, and is removed first. Those of
// writers still at work, and every other file, are left alone.
bool replaceFile(const std::string& path, std::string_view bytes, uint32_t mode, std::string* error);

}  // namespace kvx::platform
