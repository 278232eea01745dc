// What the runtime search returns: the runtime a start will use, and what it
// knows of it. The parameter assembly reads it (its version, its home for
// ${launcher:sys.jvmHome}); the launch opens its library and hands its launch
// version to JLI_Launch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
  // The version JLI_Launch is handed: the accepted version up to its first
  // "_" or "+", or "1.7.0" for a plain runtime home shipped in the
  // application root, which is taken without a check.
  std::string launchVersion;
};

}  // namespace kvx
