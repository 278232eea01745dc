// Which reader a document needs, told from its first bytes.
#include <string>

#include "plist/plist.h"

namespace kvx::plist {
namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The first ASCII characters of a document, after a byte-order mark and
// leading whitespace; UTF-16 documents are narrowed so that their markup
// can be recognised too.
std::string asciiStart(std::string_view bytes) {
  size_t step = 1;
  size_t lowByte = 0;
  if (startsWith(bytes, "\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  } else if (startsWith(bytes, "\xFE\xFF") || startsWith(bytes, "\xFF\xFE")) {
    lowByte = bytes[0] == '\xFE' ? 1 : 0;
    step = 2;
    bytes.remove_prefix(2);
  }
  std::string start;
  for (size_t i = 0; i + step <= bytes.size() && start.size() < 16; i += step) {
    if (step == 2 && bytes[i + 1 - lowByte] != '\0') break;
    char c = bytes[i + lowByte];
    if (start.empty() && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) continue;
    start += c;
  }
  return start;
}

}  // namespace

Format detectFormat(std::string_view bytes) {
  if (startsWith(bytes, "bplist00")) return Format::Binary;
  std::string start = asciiStart(bytes);
  if (startsWith(start, "<?xml") || startsWith(start, "<!DOCTYPE") || startsWith(start, "<plist")) {
    return Format::Xml;
  }
  return Format::Unknown;
}

std::optional<Value> parse(std::string_view bytes, std::string* error) {
  switch (detectFormat(bytes)) {
    case Format::Binary: return parseBinary(bytes, error);
    case Format::Xml: return parseXml(bytes, error);
    case Format::Unknown: break;
  }
  *error = bytes.empty() ? "empty document" : "not a property list in a known format";
  return std::nullopt;
}

}  // namespace kvx::plist
