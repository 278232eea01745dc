// Strings files: the tables of a localized bundle that map keys to texts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kvx::plist {

using StringsTable = std::map<std::string, std::string, std::less<>>;

// The text of a file in UTF-8 (with or without a byte-order mark) or UTF-16
// with a byte-order mark, as UTF-8. A UTF-16 sequence that cannot be decoded
// becomes U+FFFD.
std::string decodeText(std::string_view bytes);

// Reads a strings file: the old-style form ("key" = "value"; with /* */ and //
// comments, unquoted words, the escapes \n \t \" \\ \UXXXX and octal, an
// optional pair of braces) or a property list (XML or binary) whose root is a
// dictionary of strings. A later entry for a key replaces an earlier one. On
// a syntax error returns nullopt and puts a one-line reason into *error.
std::optional<StringsTable> parseStringsFile(std::string_view bytes, std::string* error);

}  // namespace kvx::plist
