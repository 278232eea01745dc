// How a modular application (--module) is made: which modules it has, whether
// they are linked into its runtime, what stays on its module path and class
// path, and the JavaFX libraries it brings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bundle_options.h"
#include "javafx_libraries.h"
#include "module_path.h"

namespace kvx::bundle {

struct ModulePlan {
  std::string mainModule;               // --module as given: NAME or NAME/CLASS
  std::string mainClass;                // the class that starts: from --module or the module's declaration
  std::vector<ModuleFile> modules;      // of --module-path
  // The runtime is made with jlink and every module declares itself: they
  // are linked into it, and the application has no module path.
  bool linked = false;
  std::vector<std::string> classPathJars;  // the input's jars that are not modules, relative to it
  std::string minimumJava;
  std::optional<NativeLibraries> javafx;
};

// The plan for --module, given the input's jars (relative, byte order).
// nullopt with one line in *error when the module path cannot be read, the
// module is not on it, or it names no main class and --module gives none,
// or JavaFX is there without its libraries.
std::optional<ModulePlan> planModules(const BundleOptions& options, const std::vector<std::string>& inputJars,
                                      std::string* error);

// Where a module file lies in the finished tree, relative to the copy of the
// input: where it was in the input, else in kModulesFolder.
std::string placeInTree(const ModuleFile& module);

}  // namespace kvx::bundle
