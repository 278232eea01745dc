// Cutting and trimming text. Pieces are views into the text they were cut
// from, which must outlive them.
#pragma once

#include <string_view>
#include <vector>

namespace kvx {

// The pieces between separators, empty ones included: "a::b" gives "a", "",
// "b"; an empty text gives one empty piece.
std::vector<std::string_view> splitAt(std::string_view text, char separator);
// The same, cutting at any of the separator characters.
std::vector<std::string_view> splitAtAny(std::string_view text, std::string_view separators);

// The text without any of the characters at either end.
std::string_view trimmed(std::string_view text, std::string_view characters = " \t\r\n");

// The text without blanks at either end: tab and the Unicode space
// separators (general category Zs). Expects UTF-8.
std::string_view trimBlanks(std::string_view text);

}  // namespace kvx
