// Bringing a modular application's files from outside its input into the tree.
#pragma once

#include <string>
#include <vector>

#include "module_plan.h"
#include "staging_area.h"

namespace kvx::bundle {

// Whether copyModuleFiles has anything to copy.
bool bringsModuleFiles(const ModulePlan& modules);

// Copies the module files from outside the input (unless they are linked
// into the runtime) into app_layout::kModulesFolder, and the JavaFX libraries into
// app_layout::kNativeFolder, both under inputCopy; links are followed, so a
// distribution's jar that is a link arrives as the file. False with one
// line in *error.
bool copyModuleFiles(const ModulePlan& modules, const StagingArea& staging, const std::string& inputCopy,
                     std::string* error);

// Every module file's path, absolute: jlink runs in the staging directory.
std::vector<std::string> absoluteModulePaths(const ModulePlan& modules);

}  // namespace kvx::bundle
