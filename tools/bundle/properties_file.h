// Java properties files, as the JDK's packaging tool takes them for a file
// association or a further launcher: "key=value", "key: value" or
// "key value", # and ! comments, a backslash at a line's end continuing it,
// and the escapes \t \n \r \f \uXXXX.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kvx::bundle {

// Keys and values in the order the file first names each key; a key named
// again takes its last value, as the JDK reads it.
using Properties = std::vector<std::pair<std::string, std::string>>;

// The properties in text, read as UTF-8. On a mistake (a \u escape without
// four hex digits or naming half a surrogate pair, text that is not UTF-8)
// nullopt with *error saying which line and why.
std::optional<Properties> parseProperties(const std::string& text, std::string* error);

// The file at path read as parseProperties reads text; *error begins with the path.
std::optional<Properties> readPropertiesFile(const std::string& path, std::string* error);

// Words of a value as the packaging tool splits "arguments" and
// "java-options": at blanks, with "double" or 'single' quotes keeping a
// word whole. nullopt with *error for a quote left open.
std::optional<std::vector<std::string>> splitWords(const std::string& value, std::string* error);

}  // namespace kvx::bundle
