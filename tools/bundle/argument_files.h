// Arguments read from files: an argument "@FILE" stands for the arguments
// that FILE holds, as with the JDK's own tools.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::bundle {

// The arguments of a file's text: separated by blanks and line ends, so one
// argument a line is the plainest form; "…" or '…' keeps blanks inside an
// argument (and may stand in its middle: -Dtitle="My App"), with \n, \t, \r,
// \f and a backslash before any other character taken as in Java inside
// them; # begins a comment up to the line's end where an argument may begin.
// A quote left open at the line's end gives nullopt with the line's number
// in *error.
std::optional<std::vector<std::string>> argumentsOfText(std::string_view text, std::string* error);

// args with every "@FILE" replaced by the arguments in FILE. Arguments read
// from a file are taken as they are, even when they begin with "@". On a file
// that cannot be read or does not parse, nullopt with one line in *error.
std::optional<std::vector<std::string>> expandArgumentFiles(const std::vector<std::string>& args,
                                                            std::string* error);

}  // namespace kvx::bundle
