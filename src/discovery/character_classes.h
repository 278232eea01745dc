// The three character classes that version strings are cut by, for text held
// as UTF-8. Characters outside the Basic Multilingual Plane count as text: a
// UTF-16 surrogate, which is what the comparison was designed around, is
// neither a digit, white space nor punctuation.
#pragma once

#include <cstdint>
#include <string_view>

namespace kvx::version {

inline constexpr int64_t kClassDigit = 0;
inline constexpr int64_t kClassText = 1;
inline constexpr int64_t kClassSeparator = 2;

// The decimal digit value 0-9 of a character of Unicode category Nd, or -1.
int digitValue(char32_t c);
bool isWhitespaceOrNewline(char32_t c);
bool isPunctuation(char32_t c);

// The class of a single character.
int64_t classOfCharacter(char32_t c);

}  // namespace kvx::version
