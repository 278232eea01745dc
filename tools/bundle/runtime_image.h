// A prepared runtime named with --runtime-image, checked the way the
// launcher will judge it before it is shipped.
#pragma once

#include <optional>
#include <string>

#include "runtime_home.h"

namespace kvx::bundle {

struct PreparedRuntime {
  std::string directory;  // as named
  bool isBundle = false;  // a runtime bundle (Contents/Home) rather than a plain home
  std::string home;       // the directory, or its Contents/Home
  RuntimeDescription description;
};

// The runtime at directory: a plain home (release file, lib/libjli.so) or a
// runtime bundle whose Info.plist names its version. Its launch library must
// be built for a processor the stub is built for. nullopt with one line in
// *error otherwise.
std::optional<PreparedRuntime> inspectRuntimeImage(const std::string& directory, const std::string& stub,
                                                   std::string* error);

}  // namespace kvx::bundle
