// What the runtime search leaves behind: the runtime a start will use, and
// what it knows of it. The parameter assembly reads it (its version, its home
// for ${launcher:sys.jvmHome}); the launch opens its library.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/bundle.h"
#include "run/run_state.h"

namespace kvx {

struct RuntimeChoice {
  // The opened bundle of the chosen runtime.
  std::shared_ptr<platform::Bundle> javaBundle;
  // The chosen runtime's directory; still absent after the search means that
  // no suitable runtime was found.
  OptString javaBundlePath;
  // The accepted runtime's version text, and its major version (-1: none accepted).
  OptString javaVersion;
  int32_t javaMajorVersion = -1;
  // The chosen runtime is the browser plug-in runtime.
  bool pluginUsed = false;
};

}  // namespace kvx
