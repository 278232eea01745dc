#include "plist/strings_file.h"

#include <cstdint>

#include "base/text.h"
#include "base/utf.h"
#include "plist/plist.h"

namespace kvx::plist {
namespace {

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  Utf16Decoder decoder(out);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto b0 = static_cast<unsigned char>(bytes[i]);
    auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    decoder.add(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
  }
  if (bytes.size() % 2 != 0) decoder.add(kReplacementCharacter);
  decoder.finish();
  return out;
}

bool isUnquotedCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '$' || c == '/' || c == ':' || c == '.' || c == '-';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class OldStyleParser {
 public:
  OldStyleParser(std::string_view text, std::string* error) : text_(text), error_(error) {}

  std::optional<StringsTable> parse() {
    StringsTable table;
    if (!skipSpaceAndComments()) return std::nullopt;
    bool braced = peek('{');
    if (braced) ++pos_;
    for (;;) {
      if (!skipSpaceAndComments()) return std::nullopt;
      if (atEnd() || (braced && peek('}'))) break;
      if (!parseEntry(table)) return std::nullopt;
    }
    if (braced) {
      if (!peek('}')) return fail("missing '}' at the end");
      ++pos_;
      if (!skipSpaceAndComments()) return std::nullopt;
      if (!atEnd()) return fail("text after the closing '}'");
    }
    return table;
  }

 private:
  bool atEnd() const { return pos_ >= text_.size(); }
  bool peek(char c) const { return !atEnd() && text_[pos_] == c; }

  std::nullopt_t fail(const std::string& reason) {
    size_t line = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i) line += text_[i] == '\n';
    *error_ = "line " + std::to_string(line) + ": " + reason;
    return std::nullopt;
  }

  bool skipSpaceAndComments() {
    while (!atEnd()) {
      char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "//") {
        size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else if (text_.substr(pos_, 2) == "/*") {
        size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) {
          fail("unterminated comment");
          return false;
        }
        pos_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  bool parseEntry(StringsTable& table) {
    std::optional<std::string> key = parseString();
    if (!key || !skipSpaceAndComments()) return false;
    std::string value = *key;  // "key"; alone maps the key to itself
    if (peek('=')) {
      ++pos_;
      if (!skipSpaceAndComments()) return false;
      std::optional<std::string> parsed = parseString();
      if (!parsed || !skipSpaceAndComments()) return false;
      value = std::move(*parsed);
    }
    if (!peek(';')) return fail("expected ';'"), false;
    ++pos_;
    table.insert_or_assign(std::move(*key), std::move(value));
    return true;
  }

  std::optional<std::string> parseString() {
    if (peek('"') || peek('\'')) return parseQuoted(text_[pos_++]);
    size_t start = pos_;
    while (!atEnd() && isUnquotedCharacter(text_[pos_])) ++pos_;
    if (pos_ == start) return fail(atEnd() ? "unexpected end of file" : "expected a string");
    return std::string(text_.substr(start, pos_ - start));
  }

  std::optional<std::string> parseQuoted(char quote) {
    std::string out;
    Utf16Decoder escapes(out);
    while (!atEnd()) {
      char c = text_[pos_++];
      if (c == quote) {
        escapes.finish();
        return out;
      }
      if (c != '\\') {
        escapes.finish();
        out += c;
        continue;
      }
      if (atEnd()) break;
      if (static_cast<unsigned char>(text_[pos_]) >= 0x80) {
        // A backslash before a non-ASCII character: the character itself,
        // whose bytes the next rounds copy on.
        escapes.finish();
        continue;
      }
      // \U escapes are UTF-16 code units; a pair of them makes one character.
      escapes.add(parseEscape());
    }
    return fail("unterminated string");
  }

  char32_t parseEscape() {
    char c = text_[pos_++];
    switch (c) {
      case 'a': return '\a';
      case 'b': return '\b';
      case 'f': return '\f';
      case 'n': return '\n';
      case 'r': return '\r';
      case 't': return '\t';
      case 'v': return '\v';
      case 'U':
      case 'u': {
        char32_t unit = 0;
        for (int i = 0; i < 4 && !atEnd() && hexDigit(text_[pos_]) >= 0; ++i) {
          unit = unit * 16 + static_cast<char32_t>(hexDigit(text_[pos_++]));
        }
        return unit;
      }
      default:
        break;
    }
    if (c >= '0' && c <= '7') {
      char32_t value = static_cast<char32_t>(c - '0');
      for (int i = 1; i < 3 && !atEnd() && text_[pos_] >= '0' && text_[pos_] <= '7'; ++i) {
        value = value * 8 + static_cast<char32_t>(text_[pos_++] - '0');
      }
      return value;
    }
    // \" \' \\ and any other character stand for themselves.
    return static_cast<unsigned char>(c);
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::string* error_;
};

bool looksLikeXmlPropertyList(std::string_view text) {
  std::string_view rest = trimmed(text);
  return rest.starts_with("<?xml") || rest.starts_with("<!DOCTYPE") || rest.starts_with("<plist");
}

std::optional<StringsTable> tableFromPropertyList(std::string_view bytes, std::string* error) {
  std::optional<plist::Value> value = plist::parse(bytes, error);
  if (!value) return std::nullopt;
  if (!value->isDictionary()) {
    *error = "the property list's root is not a dictionary";
    return std::nullopt;
  }
  StringsTable table;
  for (const auto& [key, entry] : value->entries()) {
    // A value that is not text cannot be shown; the other entries still can.
    if (entry.isString()) table.insert_or_assign(key, entry.str());
  }
  return table;
}

}  // namespace

std::string decodeText(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return decodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return decodeUtf16(bytes.substr(2), true);
  return std::string(bytes);
}

std::optional<StringsTable> parseStringsFile(std::string_view bytes, std::string* error) {
  if (bytes.starts_with("bplist")) return tableFromPropertyList(bytes, error);
  std::string text = decodeText(bytes);
  if (looksLikeXmlPropertyList(text)) return tableFromPropertyList(text, error);
  return OldStyleParser(text, error).parse();
}

}  // namespace kvx::plist
