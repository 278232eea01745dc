// Options that a configuration gives for some runtime versions only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plist/plist.h"

namespace kvx {

// "VersionSpecificVMOptions" is a flat list of pairs: a key, then the options
// for it. A key that begins with "*" is a pattern for the whole version text;
// any other key is a range "low-high" of major versions. The options of the
// first pair that matches, or nullopt when none does.
std::optional<std::vector<std::string>> versionSpecificOptions(
    const plist::Value* entries, const std::optional<std::string>& javaVersion,
    int32_t javaMajorVersion);

// Whole-text match, case-sensitive: "*" matches any run of characters, "?"
// exactly one character.
bool matchesVersionPattern(std::string_view pattern, std::string_view text);

}  // namespace kvx
