// The configuration the launcher of a finished application reads: its
// Info.plist (--type app) or the list embedded in it (--type cli).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bundle_layout.h"
#include "bundle_options.h"
#include "main_class.h"
#include "module_plan.h"
#include "plist/plist.h"

namespace kvx::bundle {

struct ConfigurationParts {
  const BundleOptions& options;
  const BundleLayout& layout;
  const MainClassChoice& main;
  const std::vector<std::string>& jars;     // relative to the input, main jar among them
  std::optional<std::string> iconFile;      // in Contents/Resources, when there is one
  const ModulePlan* modules = nullptr;      // with --module
};

// The class path: every jar, the main one first, through the launcher's
// ${launcher:sys.appRootDir} so that the application can be moved.
std::string classPathOf(const BundleLayout& layout, const std::string& mainJar,
                        const std::vector<std::string>& jars);

// The whole dictionary. Its range is --min-java (else the release the main
// class needs) and --max-java; without a shipped runtime the installed ones
// are searched within it, JAVA_HOME first, then the standard locations.
plist::Value applicationConfiguration(const ConfigurationParts& parts);

}  // namespace kvx::bundle
