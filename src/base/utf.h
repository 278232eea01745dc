// The one UTF-8 and UTF-16 codec: every reader, writer and comparison of
// text goes through it, so that all of them agree on what is malformed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvx {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character decoded from the start of text. A malformed sequence (an
// overlong form, a surrogate, a value above U+10FFFF, a stray or missing
// continuation byte) reads as U+FFFD one byte long, with valid false.
struct DecodedCharacter {
  char32_t codePoint = 0;
  size_t length = 0;  // 0 only for empty text
  bool valid = true;
};
DecodedCharacter decodeUtf8(std::string_view text);

// Every character of text, malformed bytes as U+FFFD each.
std::vector<char32_t> codePoints(std::string_view text);

// Well-formed UTF-8 throughout.
bool isValidUtf8(std::string_view text);

void appendUtf8(std::string& out, char32_t codePoint);

// The UTF-16 code units of UTF-8 text; a malformed sequence becomes U+FFFD.
std::u16string utf16Units(std::string_view utf8);

// Appends UTF-16 code units as UTF-8, pairing surrogates; a surrogate without
// its partner becomes U+FFFD.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(std::string& out) : out_(out) {}
  void add(char32_t unit);
  // Ends the text: a high surrogate still waiting becomes U+FFFD.
  void finish();

 private:
  std::string& out_;
  char32_t pendingHigh_ = 0;
};

// The text without a leading UTF-8 byte-order mark, if it has one.
std::string_view withoutByteOrderMark(std::string_view text);

}  // namespace kvx
