#include "plist/xml_text.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/text.h"

namespace kvx::plist::xml_text {
namespace {

constexpr std::string_view kSpaces = " \t\n\r";

int digitValue(char c, int base) {
  int digit = -1;
  if (c >= '0' && c <= '9') digit = c - '0';
  else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
  return digit < base ? digit : -1;
}

// Consumes exactly `count` decimal digits.
bool fixedDigits(std::string_view& text, size_t count, int* value) {
  if (text.size() < count) return false;
  *value = 0;
  for (size_t i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + (text[i] - '0');
  }
  text.remove_prefix(count);
  return true;
}

// An optional separator followed by a two-digit field.
bool optionalField(std::string_view& text, char separator, int* value) {
  if (text.empty() || text.front() != separator) return false;
  text.remove_prefix(1);
  return fixedDigits(text, 2, value);
}

}  // namespace

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::optional<Value> integer(std::string_view text) {
  text = trimmed(text, kSpaces);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  for (char c : text) {
    int digit = digitValue(c, base);
    if (digit < 0) return std::nullopt;
    if (magnitude > (UINT64_MAX - static_cast<uint64_t>(digit)) / base) return std::nullopt;
    magnitude = magnitude * base + static_cast<uint64_t>(digit);
  }
  if (!negative) return Value::unsignedInteger(magnitude);
  if (magnitude > uint64_t{1} << 63) return std::nullopt;
  return Value::integer(static_cast<int64_t>(0 - magnitude));
}

std::optional<Value> real(std::string_view text) {
  text = trimmed(text, kSpaces);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  double d = 0;
  auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), d);
  if (text.empty() || end != text.data() + text.size()) return std::nullopt;
  if (status == std::errc::result_out_of_range) {
    // Too large becomes infinite and too small zero, as strtod has it.
    bool negative = text.front() == '-';
    size_t exponent = text.find_first_of("eE");
    bool tiny = exponent != std::string_view::npos && exponent + 1 < text.size() &&
                text[exponent + 1] == '-';
    d = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    if (negative) d = -d;
  } else if (status != std::errc()) {
    return std::nullopt;
  }
  return Value::real(d);
}

std::optional<Value> date(std::string_view text) {
  using namespace std::chrono;
  text = trimmed(text, kSpaces);
  int y = 0, mo = 1, d = 1, h = 0, mi = 0, s = 0;
  if (!fixedDigits(text, 4, &y)) return std::nullopt;
  if (optionalField(text, '-', &mo) && optionalField(text, '-', &d) &&
      optionalField(text, 'T', &h) && optionalField(text, ':', &mi)) {
    optionalField(text, ':', &s);
  }
  if (text != "Z") return std::nullopt;
  year_month_day day{year{y}, month{static_cast<unsigned>(mo)}, std::chrono::day{static_cast<unsigned>(d)}};
  if (!day.ok() || h > 23 || mi > 59 || s > 59) return std::nullopt;
  constexpr sys_days k2001 = sys_days{year{2001} / January / 1};
  int64_t days = (sys_days{day} - k2001).count();
  const int64_t seconds = days * 86400 + int64_t{h} * 3600 + int64_t{mi} * 60 + s;
  return Value::date(static_cast<double>(seconds));
}

std::optional<Value> base64(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3);
  uint32_t bits = 0;
  int pending = 0;  // six-bit groups held in `bits`
  int padding = 0;
  for (char c : text) {
    if (isSpace(c)) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    int sextet = c >= 'A' && c <= 'Z'   ? c - 'A'
                 : c >= 'a' && c <= 'z' ? c - 'a' + 26
                 : c >= '0' && c <= '9' ? c - '0' + 52
                 : c == '+'             ? 62
                 : c == '/'             ? 63
                                        : -1;
    // Padding only ends the text.
    if (sextet < 0 || padding > 0) return std::nullopt;
    bits = bits << 6 | static_cast<uint32_t>(sextet);
    if (++pending == 4) {
      bytes += static_cast<char>(bits >> 16);
      bytes += static_cast<char>(bits >> 8);
      bytes += static_cast<char>(bits);
      bits = 0;
      pending = 0;
    }
  }
  // A lone sextet cannot make a byte; padding, when given, completes the group.
  if (pending == 1 || padding > 2 || (padding > 0 && pending + padding != 4)) return std::nullopt;
  if (pending == 2) bytes += static_cast<char>(bits >> 4);
  if (pending == 3) {
    bytes += static_cast<char>(bits >> 10);
    bytes += static_cast<char>(bits >> 2);
  }
  return Value::data(std::move(bytes));
}

}  // namespace kvx::plist::xml_text
