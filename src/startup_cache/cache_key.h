// The key of a startup cache: everything a cache was made for, written out
// line by line, and a short name derived from it. A cache is used only by a
// start with the same key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "startup_cache/runtime_identity.h"

namespace kvx {

struct CacheKeyInputs {
  RuntimeIdentity runtime;
  std::string classPath;
  std::string mainClass;
  // The options the runtime checks a cache against, in their order, and
  // those of its option variables.
  std::vector<std::string> options;
  std::vector<std::string> variableOptions;
};

// The lines of the key: the runtime (path, version, the identity of its class
// image and virtual machine), the identity of each class path entry, the
// main class, the options. An identity is what any replacement of a file
// changes: device, inode, size, modification and change time (which nobody
// can set back, so a jar copied over another keeping its size and time
// still counts as new). nullopt, with *why, when an entry is one the runtime
// cannot archive classes from: a directory on the class path (or an empty
// entry, which means the current directory).
std::optional<std::vector<std::string>> cacheKeyLines(const CacheKeyInputs& inputs, std::string* why);

// Sixteen lower-case hexadecimal digits that stand for the lines.
std::string cacheKeyName(const std::vector<std::string>& lines);

// 64-bit FNV-1a: small, and stable across builds and machines.
uint64_t fingerprint(std::string_view bytes);
std::string hexName(uint64_t value);

}  // namespace kvx
