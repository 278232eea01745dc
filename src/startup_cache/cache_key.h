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
  std::optional<std::string> modulePath;
  std::vector<std::string> bootClassPathAppends;
  std::string mainClass;
  // The options the runtime checks a cache against, in their order, and
  // those of its option variables.
  std::vector<std::string> options;
  std::vector<std::string> variableOptions;
};

// The lines of the key: the runtime (path, version, the size and time of its
// class image), each path entry with its size and modification time, the
// main class, the options. nullopt, with *why, when an entry is one the
// runtime cannot archive classes from: a directory on the class path (or an
// empty entry, which means the current directory), or an unpacked module.
std::optional<std::vector<std::string>> cacheKeyLines(const CacheKeyInputs& inputs, std::string* why);

// Sixteen lower-case hexadecimal digits that stand for the lines.
std::string cacheKeyName(const std::vector<std::string>& lines);

// 64-bit FNV-1a: small, and stable across builds and machines.
uint64_t fingerprint(std::string_view bytes);
std::string hexName(uint64_t value);

}  // namespace kvx
