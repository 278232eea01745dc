#include "base/text.h"

namespace kvx {
namespace {

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

std::vector<std::string_view> splitAtAny(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const size_t end = text.find_first_of(separators);
    pieces.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return pieces;
    text.remove_prefix(end + 1);
  }
}

std::vector<std::string_view> splitAt(std::string_view text, char separator) {
  return splitAtAny(text, std::string_view(&separator, 1));
}

std::string_view trimmed(std::string_view text, std::string_view characters) {
  const size_t first = text.find_first_not_of(characters);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

std::string_view trimBlanks(std::string_view text) {
  while (size_t n = blankPrefixLength(text)) text.remove_prefix(n);
  while (size_t n = blankSuffixLength(text)) text.remove_suffix(n);
  return text;
}

}  // namespace kvx
