// "%@" descriptions of values for the trace, in the platform's style:
//   (
//       a,
//       "b c"
//   )
// and { key = value; } with keys in ascending order and nested indentation.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

constexpr const char* kIndent = "    ";

bool isBareCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '$' || c == '/' || c == ':' || c == '-';
}

// Strings inside containers are quoted unless they are one plain word.
std::string quotedIfNeeded(const std::string& s) {
  if (!s.empty() && std::all_of(s.begin(), s.end(), isBareCharacter)) return s;
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          (void)snprintf(escaped, sizeof escaped, "\\U%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string describeReal(double d) {
  if (std::isnan(d)) return "nan";
  if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, d);
  return std::string(buffer, result.ptr);
}

std::string describeData(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out = "<";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % 4 == 0) out += ' ';
    auto byte = static_cast<unsigned char>(bytes[i]);
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
  }
  return out + ">";
}

std::string describeDate(double secondsSince2001) {
  using namespace std::chrono;
  // Beyond a few million years the calendar arithmetic would overflow.
  if (!std::isfinite(secondsSince2001) || std::fabs(secondsSince2001) > 1e14) {
    return describeReal(secondsSince2001);
  }
  constexpr int64_t k2001 = 978307200;  // 2001-01-01T00:00:00Z in Unix time
  sys_seconds time{seconds{k2001 + static_cast<int64_t>(std::floor(secondsSince2001))}};
  sys_days day = floor<days>(time);
  year_month_day date{day};
  hh_mm_ss clock{time - day};
  char buffer[64];
  (void)snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d:%02d +0000",
                 static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                 static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                 static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
  return buffer;
}

void appendIndent(std::string& out, int depth) {
  for (int i = 0; i < depth; ++i) out += kIndent;
}

void describeInto(std::string& out, const Value& v, int depth, bool nested);

void describeArray(std::string& out, const Array& items, int depth) {
  out += "(\n";
  for (size_t i = 0; i < items.size(); ++i) {
    appendIndent(out, depth + 1);
    describeInto(out, items[i], depth + 1, true);
    out += i + 1 < items.size() ? ",\n" : "\n";
  }
  appendIndent(out, depth);
  out += ")";
}

void describeDictionary(std::string& out, const Dictionary& entries, int depth) {
  std::vector<const std::pair<std::string, Value>*> sorted;
  sorted.reserve(entries.size());
  for (const auto& entry : entries) sorted.push_back(&entry);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto* a, const auto* b) { return a->first < b->first; });
  out += "{\n";
  for (const auto* entry : sorted) {
    appendIndent(out, depth + 1);
    out += quotedIfNeeded(entry->first);
    out += " = ";
    describeInto(out, entry->second, depth + 1, true);
    out += ";\n";
  }
  appendIndent(out, depth);
  out += "}";
}

void describeInto(std::string& out, const Value& v, int depth, bool nested) {
  switch (v.type()) {
    case Type::String: out += nested ? quotedIfNeeded(v.str()) : v.str(); break;
    case Type::Integer:
      out += v.isUnsignedBig() ? std::to_string(v.unsignedRaw()) : std::to_string(v.integerRaw());
      break;
    case Type::Real: out += describeReal(v.realRaw()); break;
    case Type::Boolean: out += v.boolRaw() ? "1" : "0"; break;
    case Type::Date: out += describeDate(v.realRaw()); break;
    case Type::Data: out += describeData(v.str()); break;
    case Type::Array: describeArray(out, v.items(), depth); break;
    case Type::Dictionary: describeDictionary(out, v.entries(), depth); break;
  }
}

}  // namespace

std::string describe(const Value& v) {
  std::string out;
  describeInto(out, v, 0, false);
  return out;
}

std::string describe(const Value* v) { return v == nullptr ? "(null)" : describe(*v); }

std::string describe(const std::optional<std::string>& s) { return s ? *s : "(null)"; }

std::string describe(const std::vector<std::string>& list) {
  std::string out = "(\n";
  for (size_t i = 0; i < list.size(); ++i) {
    out += kIndent;
    out += quotedIfNeeded(list[i]);
    out += i + 1 < list.size() ? ",\n" : "\n";
  }
  return out + ")";
}

}  // namespace kvx::plist
