// Text that may not be UTF-8, made fit for a message to a terminal.
#pragma once

#include <string>
#include <string_view>

namespace kvx::bundle {

// text as it is where it is well-formed UTF-8; each byte of a malformed
// sequence as \xNN, so that a refusal shows where the fault lies.
std::string shownBytes(std::string_view text);

}  // namespace kvx::bundle
