// The configuration keys of a modular application.
#pragma once

#include <string>
#include <vector>

#include "bundle_layout.h"
#include "module_plan.h"
#include "plist/plist.h"

namespace kvx::bundle {

// Into the JavaVM dictionary: the class path of the input's other jars and,
// unless its modules are linked into the runtime, the module path, each file
// through ${launcher:sys.appRootDir}. Before the packager's options
// (vmOptions), so that one of theirs may still override it:
// java.library.path at the JavaFX libraries brought along.
void addModuleKeys(plist::Dictionary& javaVM, std::vector<std::string>& vmOptions, const BundleLayout& layout,
                   const ModulePlan& modules);

}  // namespace kvx::bundle
