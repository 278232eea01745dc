#include "properties_file.h"

#include <algorithm>

#include "base/utf.h"
#include "platform/files.h"

namespace kvx::bundle {
namespace {

constexpr size_t kFileLimit = 1 << 20;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\f'; }

// The natural lines of text, each with its number, whatever ends them.
std::vector<std::pair<int, std::string>> naturalLines(const std::string& text) {
  std::vector<std::pair<int, std::string>> lines;
  size_t start = 0;
  int number = 1;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.emplace_back(number++, text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::string withoutLeadingBlanks(const std::string& line) {
  size_t first = 0;
  while (first < line.size() && isBlank(line[first])) ++first;
  return line.substr(first);
}

// A backslash continues the line when it is not itself escaped.
bool continues(const std::string& line) {
  size_t backslashes = 0;
  for (auto it = line.rbegin(); it != line.rend() && *it == '\\'; ++it) ++backslashes;
  return backslashes % 2 == 1;
}

// Where the key ends: the first "=", ":" or blank no backslash escapes.
size_t keyEnd(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '=' || line[i] == ':' || isBlank(line[i])) {
      return i;
    }
  }
  return line.size();
}

std::optional<char32_t> hexUnit(const std::string& text, size_t at) {
  if (at + 4 > text.size()) return std::nullopt;
  char32_t unit = 0;
  for (size_t i = at; i < at + 4; ++i) {
    char c = text[i];
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return std::nullopt;
    unit = unit << 4 | static_cast<char32_t>(digit);
  }
  return unit;
}

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// \uXXXX at text[at] (the backslash), a surrogate pair taking two; the
// characters it took are added to at.
bool unicodeEscape(const std::string& text, size_t& at, std::string& out) {
  std::optional<char32_t> unit = hexUnit(text, at + 2);
  if (!unit || isLowSurrogate(*unit)) return false;
  at += 6;
  if (!isHighSurrogate(*unit)) {
    appendUtf8(out, *unit);
    return true;
  }
  std::optional<char32_t> low = text.compare(at, 2, "\\u") == 0 ? hexUnit(text, at + 2) : std::nullopt;
  if (!low || !isLowSurrogate(*low)) return false;
  at += 6;
  appendUtf8(out, 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
  return true;
}

std::optional<std::string> unescaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i++];
      continue;
    }
    char c = text[i + 1];
    if (c == 'u') {
      if (!unicodeEscape(text, i, out)) return std::nullopt;
      continue;
    }
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 'f' ? '\f' : c;
    i += 2;
  }
  return out;
}

bool fail(std::string* error, int line, const std::string& why) {
  *error = "line " + std::to_string(line) + ": " + why;
  return false;
}

// One logical line: its key and value, unescaped, into properties.
bool readEntry(const std::string& line, int number, Properties& properties, std::string* error) {
  size_t end = keyEnd(line);
  size_t value = end;
  while (value < line.size() && isBlank(line[value])) ++value;
  if (value < line.size() && (line[value] == '=' || line[value] == ':')) ++value;
  while (value < line.size() && isBlank(line[value])) ++value;
  std::optional<std::string> key = unescaped(line.substr(0, end));
  std::optional<std::string> text = unescaped(line.substr(value));
  if (!key || !text) return fail(error, number, "a \\u escape needs four hexadecimal digits naming a character");
  auto known = std::find_if(properties.begin(), properties.end(), [&](const auto& entry) { return entry.first == *key; });
  if (known != properties.end()) {
    known->second = *text;
  } else {
    properties.emplace_back(*key, *text);
  }
  return true;
}

}  // namespace

std::optional<Properties> parseProperties(const std::string& text, std::string* error) {
  if (!isValidUtf8(text)) {
    *error = "not UTF-8 text";
    return std::nullopt;
  }
  std::vector<std::pair<int, std::string>> lines = naturalLines(text);
  Properties properties;
  for (size_t i = 0; i < lines.size(); ++i) {
    int number = lines[i].first;
    std::string line = withoutLeadingBlanks(lines[i].second);
    if (line.empty() || line[0] == '#' || line[0] == '!') continue;
    while (continues(line)) {
      line.pop_back();
      if (++i == lines.size()) break;
      line += withoutLeadingBlanks(lines[i].second);
    }
    if (!readEntry(line, number, properties, error)) return std::nullopt;
  }
  return properties;
}

std::optional<Properties> readPropertiesFile(const std::string& path, std::string* error) {
  std::string reason;
  std::optional<std::string> text = platform::readFile(path, kFileLimit, &reason);
  std::optional<Properties> properties = text ? parseProperties(*text, &reason) : std::nullopt;
  if (!properties) *error = path + ": " + reason;
  return properties;
}

std::optional<std::vector<std::string>> splitWords(const std::string& value, std::string* error) {
  std::vector<std::string> words;
  std::optional<std::string> word;
  char quote = 0;
  for (char c : value) {
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else {
        *word += c;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      if (!word) word.emplace();
    } else if (isBlank(c) || c == '\n' || c == '\r') {
      if (word) words.push_back(*word);
      word.reset();
    } else {
      if (!word) word.emplace();
      *word += c;
    }
  }
  if (quote) {
    *error = std::string("a ") + quote + " is left open in \"" + value + "\"";
    return std::nullopt;
  }
  if (word) words.push_back(*word);
  return words;
}

}  // namespace kvx::bundle
