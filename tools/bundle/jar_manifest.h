// The main attributes of a jar's manifest (META-INF/MANIFEST.MF).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvx::bundle {

// The value of a main attribute, its name compared without regard to case.
// Lines end in CR LF, LF or CR; a line that begins with one space continues
// the one before it (the format wraps lines at 72 bytes); the main section
// ends at the first empty line. nullopt when the attribute is absent or empty.
std::optional<std::string> mainAttribute(std::string_view manifest, std::string_view name);

}  // namespace kvx::bundle
