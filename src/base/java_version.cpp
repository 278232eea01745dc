#include "base/java_version.h"

#include <limits>

namespace kvx {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number text begins with, and how many characters it took.
std::optional<int> leadingNumber(std::string_view text, size_t* length) {
  constexpr int kMax = std::numeric_limits<int>::max();
  size_t i = 0;
  int value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    const int digit = text[i] - '0';
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  *length = i;
  if (i == 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int> javaMajorVersion(std::string_view version) {
  size_t length = 0;
  std::optional<int> first = leadingNumber(version, &length);
  if (first != 1 || length >= version.size() || version[length] != '.') return first;
  return leadingNumber(version.substr(length + 1), &length);
}

}  // namespace kvx
