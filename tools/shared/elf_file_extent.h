// Whether an ELF file holds everything its headers promise: a stub cut short
// (a copy that stopped half-way, a download that broke off) still has its
// note near the front, but the launcher made from it would not run.
#pragma once

#include <string>
#include <string_view>

namespace kvx::embed {

// True when the program header table, every loadable segment's file bytes,
// the section header table and every section's file bytes lie inside file,
// a 64-bit little-endian ELF file whose 64-byte header has been checked.
// Otherwise false, with *error naming the first part that does not.
bool elfFileIsWhole(std::string_view file, std::string* error);

}  // namespace kvx::embed
