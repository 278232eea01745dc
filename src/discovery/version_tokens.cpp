#include "discovery/version_tokens.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "base/text.h"
#include "base/utf.h"
#include "discovery/character_classes.h"
#include "discovery/version_strings.h"

namespace kvx::version {
namespace {

int64_t digitRunValue(std::string_view run) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  while (!run.empty()) {
    DecodedCharacter c = decodeUtf8(run);
    run.remove_prefix(c.length);
    int digit = digitValue(c.codePoint);
    if (value > (kMax - digit) / 10) return kMax;
    value = value * 10 + digit;
  }
  return value;
}

// The first UTF-16 code unit of a character: text is ordered as the
// platform orders strings, by UTF-16 code units, where every character
// beyond the Basic Multilingual Plane sorts below U+E000.
char32_t firstUtf16Unit(char32_t c) {
  return c < 0x10000 ? c : 0xD800 + ((c - 0x10000) >> 10);
}

int64_t compareText(std::string_view a, std::string_view b) {
  while (!a.empty() && !b.empty()) {
    DecodedCharacter x = decodeUtf8(a);
    DecodedCharacter y = decodeUtf8(b);
    if (x.codePoint != y.codePoint) {
      char32_t ux = firstUtf16Unit(x.codePoint), uy = firstUtf16Unit(y.codePoint);
      if (ux != uy) return ux < uy ? -1 : 1;
      return x.codePoint < y.codePoint ? -1 : 1;
    }
    a.remove_prefix(x.length);
    b.remove_prefix(y.length);
  }
  if (a.empty() && b.empty()) return 0;
  return a.empty() ? -1 : 1;
}

// text < separator < digit
int classRank(int64_t characterClass) {
  return characterClass == kClassText ? 0 : characterClass == kClassSeparator ? 1 : 2;
}

int64_t compareToken(const VersionToken& x, const VersionToken& y) {
  if (x.characterClass != y.characterClass)
    return classRank(x.characterClass) > classRank(y.characterClass) ? 1 : -1;
  if (x.characterClass == kClassDigit) return x.number == y.number ? 0 : x.number > y.number ? 1 : -1;
  if (x.characterClass == kClassText) return compareText(x.text, y.text);
  return 0;
}

}  // namespace

TokenList tokenize(std::string_view version) {
  TokenList tokens;
  auto flush = [&](std::string_view text, int64_t characterClass) {
    int64_t number = characterClass == kClassDigit ? digitRunValue(text) : 0;
    tokens.push_back({text, characterClass, number});
  };
  size_t start = 0;
  int64_t previous = -1;
  for (size_t i = 0; i < version.size();) {
    DecodedCharacter c = decodeUtf8(version.substr(i));
    int64_t current = classOfCharacter(c.codePoint);
    if (i > 0 && (current != previous || previous == kClassSeparator)) {
      flush(version.substr(start, i - start), previous);
      start = i;
    }
    previous = current;
    i += c.length;
  }
  if (!version.empty()) flush(version.substr(start), previous);
  return tokens;
}

int64_t compareTokens(const TokenList& a, const TokenList& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    if (int64_t r = compareToken(a[i], b[i])) return r;
  }
  if (a.size() == b.size()) return 0;
  // An extra text token makes the longer string the smaller one; an extra
  // digit or separator makes it the greater.
  bool aLonger = a.size() > b.size();
  const VersionToken& extra = aLonger ? a[n] : b[n];
  bool longerIsGreater = extra.characterClass != kClassText;
  return aLonger == longerIsGreater ? 1 : -1;
}

std::vector<std::string> splitComponents(std::string_view version) {
  std::vector<std::string> parts;
  for (std::string_view part : splitAtAny(version, "._-+")) parts.emplace_back(part);
  return parts;
}

void sortRuntimeNamesNewestFirst(std::vector<std::string>& names) {
  std::vector<std::string> stripped;
  stripped.reserve(names.size());
  for (const std::string& name : names) stripped.push_back(removeJrePrefix(name));
  std::vector<TokenList> keys;
  keys.reserve(names.size());
  for (const std::string& text : stripped) keys.push_back(tokenize(text));
  std::vector<size_t> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t x, size_t y) { return compareTokens(keys[y], keys[x]) < 0; });
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (size_t i : order) sorted.push_back(std::move(names[i]));
  names = std::move(sorted);
}

}  // namespace kvx::version
