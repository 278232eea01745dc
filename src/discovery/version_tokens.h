// Version strings cut into tokens once, so that a comparison (and a sort of
// many names) reads each string a single time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::version {

// A token refers into the text it was cut from, which must outlive it.
struct VersionToken {
  std::string_view text;
  int64_t characterClass;
  // For a digit run: its value, saturated at INT64_MAX. Unused otherwise.
  int64_t number;
};
using TokenList = std::vector<VersionToken>;

// Maximal runs of digits, maximal runs of text, single separators, each a
// view into version.
TokenList tokenize(std::string_view version);

// Three-way token comparison: -1, 0 or +1.
int64_t compareTokens(const TokenList& a, const TokenList& b);

// The components of a version: split at every ".", "_", "-" and "+",
// adjacent separators giving empty parts. An empty string is one empty part.
std::vector<std::string> splitComponents(std::string_view version);

// Sorts entry names of a runtime directory newest first: descending token
// order of the names without their runtime-name prefixes. Names that compare
// equal keep their listing order.
void sortRuntimeNamesNewestFirst(std::vector<std::string>& names);

}  // namespace kvx::version
