// The one object that carries a launch from the configuration to the running
// Java virtual machine. The runtime search and the parameter assembly are
// layers of their own; the Launcher hands them what they need (the start's
// RunState, the search roots) and keeps the runtime the search returns.
#pragma once

#include <memory>
#include <optional>

#include "discovery/runtime_search.h"
#include "run/run_state.h"
#include "run/runtime_choice.h"

namespace kvx {

class Launcher {
 public:
  // A new object each call, already initialised; it lives until the end of the road.
  static std::shared_ptr<Launcher> launcher(RunState& run);
  explicit Launcher(RunState& run) : run(run) {}
  // Fixes the launcher's paths on the run; the bundle road takes the
  // configuration and the paths from the run's main bundle first.
  Launcher& init();

  // Chooses the runtime and builds the argument vector.
  Launcher& load();
  // Opens the chosen runtime's launch library and hands the process over to it.
  int launch();

  RunState& run;
  SearchRoots searchRoots;
  // The runtime the search chose; nullopt before load, and when no runtime
  // is acceptable.
  std::optional<RuntimeChoice> runtime;
  int argc = 0;
  char** argv = nullptr;
  // Where the main class (or the "-m" of a main module) stands in argv.
  // Only the entries before it may name argument files, as with the java
  // command: the program's own arguments are handed on as given, whatever
  // they begin with. Unset, every entry may.
  std::optional<int> mainClassEntry;
};

}  // namespace kvx
