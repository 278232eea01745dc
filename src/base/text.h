// The text rules of options files: which bytes are UTF-8 and which
// characters count as blanks at the ends of a line.
#pragma once

#include <string_view>

namespace kvx {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// The text without a leading byte-order mark, if it has one.
std::string_view withoutByteOrderMark(std::string_view text);

// The text without blanks at either end: tab and the Unicode space
// separators (general category Zs). Expects valid UTF-8.
std::string_view trimBlanks(std::string_view text);

}  // namespace kvx
