// The desktop entry a package installs: the tree's own entry with the
// install directory filled in when the package is made, so that nothing is
// left to edit on the user's machine.
#pragma once

#include <string>

#include "bundle_options.h"
#include "package_layout.h"

namespace kvx::bundle {

// Exec names the launcher under the install directory, Icon the theme's
// name (when there is an icon) and Categories --linux-menu-group, by default
// Utility, the menu's group for what fits no other.
std::string packagedDesktopEntry(const BundleOptions& options, const PackageLayout& layout,
                                 const std::string& mainClass);

// A further launcher's entry: its name, description (else the
// application's), main class for the window's class, the launcher beside the
// application's, and its icon in the theme (else the application's).
std::string packagedLauncherEntry(const BundleOptions& options, const PackageLayout& layout,
                                  const AddedLauncher& launcher, const std::string& mainClass);

}  // namespace kvx::bundle
