// Where, in an ELF launcher stub file, the space reserved for the embedded
// configuration lies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvx::embed {

struct ConfigRegion {
  uint64_t offset = 0;  // in the file
  uint64_t size = 0;
  // A configuration has been written into it: the stub is a command-line
  // launcher already.
  bool holdsConfiguration = false;
};

// The reserved region: the configuration note (or the placeholder a fresh
// stub carries) and the filler notes right after it. On failure returns
// nullopt with the reason in *error.
std::optional<ConfigRegion> findConfigRegion(std::string_view file, std::string* error);

}  // namespace kvx::embed
