// What the virtual machine runs: the configuration's main class, or its main
// module.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/run_state.h"

namespace kvx {

struct MainEntry {
  bool isModule = false;
  // The class, or the module as "MODULE" or "MODULE/CLASS".
  std::string name;

  // Its entries in the launch vector, where the java command takes them:
  // the class, or "-m" and the module.
  std::vector<std::string> launchEntries() const;
  // The entries as one line, for a person and for keys.
  std::string text() const;

  bool operator==(const MainEntry&) const = default;
};

// "kvx.mainModule" at the top level when given, else "MainClass" under
// "JavaVM", each taken as written; nullopt when neither is given. The module
// wins over a class given with it: a modular application names its main
// class in the module itself, and a class left from before would only mislead.
std::optional<MainEntry> configuredMainEntry(const RunState& run);

}  // namespace kvx
