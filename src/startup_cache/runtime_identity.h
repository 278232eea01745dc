// The runtime a start will use, as far as a startup cache depends on it.
#pragma once

#include <optional>
#include <string>

#include "run/runtime_choice.h"

namespace kvx {

struct RuntimeIdentity {
  // The chosen runtime, as the search found it.
  std::string path;
  // Where its bin/ and lib/ are.
  std::string home;
  // The runtime's own version text, and its major version (-1: it names none).
  std::string version;
  int majorVersion = -1;
};

// The chosen runtime with its own version: the release file in its home,
// else its bundle's "JVMVersion". A shipped plain home is handed to the
// launch library as "1.7.0", which says nothing about what it is, so the
// choice's version is only the last resort. nullopt (and *why) when there
// is no runtime or no version to read.
std::optional<RuntimeIdentity> identifyRuntime(const RuntimeChoice& runtime, std::string* why);

}  // namespace kvx
