#include "base/utf.h"

namespace kvx {
namespace {

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

DecodedCharacter decodeUtf8(std::string_view text) {
  constexpr DecodedCharacter kMalformed{kReplacementCharacter, 1, false};
  if (text.empty()) return {0, 0, true};
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1, true};
  // C0 and C1 could only start overlong forms; F5 and above only values past U+10FFFF.
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || text.size() < length) return kMalformed;
  char32_t c = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return kMalformed;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
  if (overlong || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return kMalformed;
  return {c, length, true};
}

std::vector<char32_t> codePoints(std::string_view text) {
  std::vector<char32_t> points;
  while (!text.empty()) {
    DecodedCharacter c = decodeUtf8(text);
    points.push_back(c.codePoint);
    text.remove_prefix(c.length);
  }
  return points;
}

bool isValidUtf8(std::string_view text) {
  while (!text.empty()) {
    DecodedCharacter c = decodeUtf8(text);
    if (!c.valid) return false;
    text.remove_prefix(c.length);
  }
  return true;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::u16string utf16Units(std::string_view utf8) {
  std::u16string units;
  for (char32_t c : codePoints(utf8)) {
    if (c >= 0x10000) {
      c -= 0x10000;
      units += static_cast<char16_t>(0xD800 + (c >> 10));
      units += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
  }
  return units;
}

void Utf16Decoder::add(char32_t unit) {
  if (pendingHigh_ != 0) {
    const char32_t high = pendingHigh_;
    pendingHigh_ = 0;
    if (isLowSurrogate(unit)) {
      appendUtf8(out_, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
      return;
    }
    appendUtf8(out_, kReplacementCharacter);
  }
  if (isHighSurrogate(unit)) {
    pendingHigh_ = unit;
  } else {
    appendUtf8(out_, isLowSurrogate(unit) ? kReplacementCharacter : unit);
  }
}

void Utf16Decoder::finish() {
  if (pendingHigh_ != 0) appendUtf8(out_, kReplacementCharacter);
  pendingHigh_ = 0;
}

std::string_view withoutByteOrderMark(std::string_view text) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  if (text.starts_with(kMark)) text.remove_prefix(kMark.size());
  return text;
}

}  // namespace kvx
