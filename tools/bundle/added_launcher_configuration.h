// Where a further launcher lies in an application's tree, and the
// configuration embedded in it. Info.plist belongs to the application's own
// launcher, so a further one carries its configuration inside itself, as a
// command-line launcher does, and reaches the application's root and
// runtime through kvx.baseDir.
#pragma once

#include <optional>
#include <string>

#include "added_launcher.h"
#include "app_configuration.h"
#include "bundle_layout.h"
#include "main_class.h"
#include "plist/plist.h"

namespace kvx::bundle {

// Beside the application's own launcher: Contents/MacOS/NAME | bin/NAME.
std::string addedLauncherExecutable(const BundleLayout& layout, const std::string& name);

// Its icon in Contents/Resources: "<NAME>.png".
std::string addedLauncherIconFile(const std::string& name);

// The name of its desktop entry: the application's entry's, then "-NAME".
std::string addedLauncherEntryFileName(const std::string& name, const std::optional<std::string>& identifier,
                                       const std::string& launcher);

// Where an app tree keeps the further launchers' entries, inside
// Contents/Resources, apart from the application's own one.
inline constexpr const char* kAddedEntriesFolder = "launchers";

// The application's configuration (parts, read as for its own launcher) with
// the launcher's name, main class, options and arguments, an identifier of
// its own (the application's, then ".NAME") and, in an app tree, the
// application root and the bundle named from Contents/MacOS.
plist::Value addedLauncherConfiguration(const ConfigurationParts& parts, const AddedLauncher& launcher,
                                        const MainClassChoice& main);

}  // namespace kvx::bundle
