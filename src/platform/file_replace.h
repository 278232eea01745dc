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
// *error says why.
bool replaceFile(const std::string& path, std::string_view bytes, uint32_t mode, std::string* error);

}  // namespace kvx::platform
