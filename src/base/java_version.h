// The major version a Java runtime's version text names. The launcher's
// runtime check, its startup cache and the packaging tool all read it here,
// so that they agree on every way runtimes write their versions.
#pragma once

#include <optional>
#include <string_view>

namespace kvx {

// "17.0.15", "17", "25-ea" and "21.0.2+13" name their first number;
// "1.8.0_292", written in the scheme before 9, its second. nullopt when the
// text begins with no number, or with "1." and no number after it. A number
// past what an int holds reads as the largest int.
std::optional<int> javaMajorVersion(std::string_view version);

}  // namespace kvx
