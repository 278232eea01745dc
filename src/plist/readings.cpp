// The platform's boolean and integer readings of configuration values, and
// the checked access to values that must be strings.
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/exception.h"
#include "plist/plist.h"

namespace kvx::plist {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

size_t skipBlanks(std::string_view s, size_t i) {
  while (i < s.size() && isBlank(s[i])) ++i;
  return i;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The leading decimal number of a string, saturated to [min, max]: a value
// that does not fit reads as the nearest limit instead of wrapping.
int64_t leadingInteger(std::string_view s, int64_t min, int64_t max) {
  size_t i = skipBlanks(s, 0);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // Accumulated as a magnitude; |min| is one more than max for two's complement.
  uint64_t limit = negative ? static_cast<uint64_t>(-(min + 1)) + 1 : static_cast<uint64_t>(max);
  uint64_t magnitude = 0;
  for (; i < s.size() && isDigit(s[i]); ++i) {
    uint64_t digit = static_cast<uint64_t>(s[i] - '0');
    if (magnitude > (limit - digit) / 10) return negative ? min : max;
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == limit ? min : -static_cast<int64_t>(magnitude);
}

int64_t saturate(double d, int64_t min, int64_t max) {
  if (std::isnan(d)) return 0;
  // Both limits are exact powers of two (or next to one) as doubles; compare
  // against them before converting, which would be undefined outside.
  if (d <= static_cast<double>(min)) return min;
  if (d >= -static_cast<double>(min)) return max;
  return static_cast<int64_t>(d);
}

[[noreturn]] void noReading(const Value& v, const char* reading) {
  throw ValueTypeError("NSInvalidArgumentException",
                          std::string("A property-list ") + typeName(v.type()) + " has no " +
                              reading + " reading.");
}

int64_t integerReading(const Value& v, int64_t min, int64_t max, const char* reading) {
  switch (v.type()) {
    case Type::String: return leadingInteger(v.str(), min, max);
    case Type::Boolean: return v.boolRaw() ? 1 : 0;
    case Type::Integer:
      if (v.isUnsignedBig()) return max;
      return v.integerRaw() < min ? min : v.integerRaw() > max ? max : v.integerRaw();
    case Type::Real: return saturate(v.realRaw(), min, max);
    default: noReading(v, reading);
  }
}

}  // namespace

bool boolValue(std::string_view s) {
  size_t i = skipBlanks(s, 0);
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  while (i < s.size() && s[i] == '0') ++i;
  if (i == s.size()) return false;
  char c = s[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

int32_t intValue(std::string_view s) {
  return static_cast<int32_t>(
      leadingInteger(s, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t integerValue(std::string_view s) {
  return leadingInteger(s, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

bool boolValue(const Value& v) {
  switch (v.type()) {
    case Type::Boolean: return v.boolRaw();
    case Type::Integer: return v.integerRaw() != 0;
    case Type::Real: return v.realRaw() != 0;
    case Type::String: return boolValue(std::string_view(v.str()));
    default: noReading(v, "boolean");
  }
}

int32_t intValue(const Value& v) {
  return static_cast<int32_t>(integerReading(v, std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::max(), "integer"));
}

int64_t integerValue(const Value& v) {
  return integerReading(v, std::numeric_limits<int64_t>::min(),
                        std::numeric_limits<int64_t>::max(), "integer");
}

std::optional<std::string> stringValue(const Value* v, std::string_view key) {
  if (v == nullptr) return std::nullopt;
  if (!v->isString()) {
    throw ValueTypeError("NSInvalidArgumentException",
                            "The value of \"" + std::string(key) + "\" is " +
                                typeName(v->type()) + ", not a string.");
  }
  return v->str();
}

std::optional<std::vector<std::string>> stringArrayValue(const Value* v, std::string_view key) {
  if (v == nullptr) return std::nullopt;
  if (!v->isArray()) {
    throw ValueTypeError("NSInvalidArgumentException",
                            "The value of \"" + std::string(key) + "\" is " +
                                typeName(v->type()) + ", not an array of strings.");
  }
  std::vector<std::string> strings;
  strings.reserve(v->items().size());
  for (size_t i = 0; i < v->items().size(); ++i) {
    const Value& item = v->items()[i];
    if (!item.isString()) {
      throw ValueTypeError("NSInvalidArgumentException",
                              "Element " + std::to_string(i) + " of \"" + std::string(key) +
                                  "\" is " + typeName(item.type()) + ", not a string.");
    }
    strings.push_back(item.str());
  }
  return strings;
}

}  // namespace kvx::plist
