// The XML property-list form, laid out as the platform's own tools write it
// (a tab per level), so that a person can read and edit what a tool wrote.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

constexpr char kHeader[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

// Seconds from 1970 to 2001, the epoch of property-list dates.
constexpr double kSecondsFrom1970To2001 = 978307200;

// Text with the characters that XML gives meaning to escaped. A carriage
// return is written as a reference, or a reader would turn it into a newline.
std::string escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\r': out += "&#13;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

std::string realText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "+infinity" : "-infinity";
  char buffer[32];
  (void)std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

std::string dateText(double secondsSince2001) {
  time_t seconds = static_cast<time_t>(std::floor(secondsSince2001 + kSecondsFrom1970To2001));
  struct tm utc = {};
  gmtime_r(&seconds, &utc);
  char buffer[32] = "";
  (void)std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return buffer;
}

std::string integerText(const Value& v) {
  return v.isUnsignedBig() ? std::to_string(v.unsignedRaw()) : std::to_string(v.integerRaw());
}

void writeValue(std::string& out, const Value& v, const std::string& indent);

void writeContainer(std::string& out, const Value& v, const std::string& indent) {
  const char* name = v.isArray() ? "array" : "dict";
  if (v.isArray() ? v.items().empty() : v.entries().empty()) {
    out += indent + "<" + name + "/>\n";
    return;
  }
  out += indent + "<" + name + ">\n";
  std::string inner = indent + "\t";
  if (v.isArray()) {
    for (const Value& item : v.items()) writeValue(out, item, inner);
  } else {
    for (const auto& [key, value] : v.entries()) {
      out += inner + "<key>" + escaped(key) + "</key>\n";
      writeValue(out, value, inner);
    }
  }
  out += indent + "</" + name + ">\n";
}

void element(std::string& out, const std::string& indent, const char* name, const std::string& text) {
  out += indent + "<" + name + ">" + text + "</" + name + ">\n";
}

void writeValue(std::string& out, const Value& v, const std::string& indent) {
  switch (v.type()) {
    case Type::String: element(out, indent, "string", escaped(v.str())); break;
    case Type::Integer: element(out, indent, "integer", integerText(v)); break;
    case Type::Real: element(out, indent, "real", realText(v.realRaw())); break;
    case Type::Boolean: out += indent + (v.boolRaw() ? "<true/>\n" : "<false/>\n"); break;
    case Type::Date: element(out, indent, "date", dateText(v.realRaw())); break;
    case Type::Data: element(out, indent, "data", base64(v.str())); break;
    case Type::Array:
    case Type::Dictionary: writeContainer(out, v, indent); break;
  }
}

}  // namespace

std::string writeXml(const Value& v) {
  std::string out = kHeader;
  writeValue(out, v, "");
  out += "</plist>\n";
  return out;
}

}  // namespace kvx::plist
