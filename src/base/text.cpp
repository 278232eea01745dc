#include "base/text.h"

#include <cstdint>

namespace kvx {

namespace {

uint8_t byteAt(std::string_view text, size_t i) { return static_cast<uint8_t>(text[i]); }

bool isContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// The length of the well-formed sequence that starts at i, or 0. The
// ranges of the second byte are the ones that exclude overlong forms,
// surrogates and code points above U+10FFFF.
size_t sequenceLength(std::string_view text, size_t i) {
  uint8_t lead = byteAt(text, i);
  if (lead < 0x80) return 1;
  size_t length;
  uint8_t low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  uint8_t second = byteAt(text, i + 1);
  if (second < low || second > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (!isContinuation(byteAt(text, i + k))) return 0;
  }
  return length;
}

// The UTF-8 forms of tab and of every character of category Zs.
constexpr std::string_view kBlanks[] = {
    "\t",           " ",            "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80",
    "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85",
    "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A",
    "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80",
};

size_t blankPrefixLength(std::string_view text) {
  for (std::string_view blank : kBlanks) {
    if (text.starts_with(blank)) return blank.size();
  }
  return 0;
}

size_t blankSuffixLength(std::string_view text) {
  for (std::string_view blank : kBlanks) {
    if (text.ends_with(blank)) return blank.size();
  }
  return 0;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    size_t length = sequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string_view withoutByteOrderMark(std::string_view text) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  if (text.starts_with(kMark)) text.remove_prefix(kMark.size());
  return text;
}

std::string_view trimBlanks(std::string_view text) {
  while (size_t n = blankPrefixLength(text)) text.remove_prefix(n);
  while (size_t n = blankSuffixLength(text)) text.remove_suffix(n);
  return text;
}

}  // namespace kvx
