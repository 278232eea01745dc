// The options of a modular application, checked with the rest of the command line.
#pragma once

#include <string>

#include "bundle_options.h"

namespace kvx::bundle {

// --module is NAME or NAME/CLASS, neither part empty, and goes with neither
// --main-jar nor --main-class (the class is named in it, or by the module
// itself); --module-path goes only with --module. False with one line in
// *error otherwise.
bool checkModuleOptions(const BundleOptions& options, std::string* error);

// The module's name: --module up to its "/".
std::string moduleNameOf(const std::string& module);

}  // namespace kvx::bundle
