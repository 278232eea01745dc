// Filling a message text's "%@" placeholders with info strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvx {

// Fills each "%@" with the next info and each "%N$@" with the Nth, and turns
// "%%" into "%". A placeholder without an info gives nothing, so a text with
// more placeholders than infos never reaches past them. Any other "%"
// sequence stays as written.
std::string formatMessage(std::string_view text, const std::vector<std::string>& infos);

}  // namespace kvx
