// What documents and further launchers add to a package: the shared-MIME-info
// file and the documents' icons in the theme, and for each further launcher
// its desktop entry and icon (an app tree) or its command in /usr/bin (a
// command-line tree).
#pragma once

#include <string>
#include <vector>

#include "bundle_options.h"
#include "package_layout.h"
#include "package_root.h"

namespace kvx::bundle {

// Fills layout's places for options' associations and further launchers.
// Their icons must be squares of the theme's sizes: false with one line in
// *error naming the option and the file otherwise.
bool placeDocumentsAndLaunchers(const BundleOptions& options, PackageLayout& layout, std::string* error);

// Whether the package puts any icon into the theme.
bool shipsThemeIcons(const PackageLayout& layout);

// Every file and link placed here, relative to the root, for the package's list.
std::vector<std::string> documentAndLauncherFiles(const PackageLayout& layout);

// Writes them into the root, beside the tree already built there.
bool addDocumentsAndLaunchersToRoot(const PackageRootRequest& request, std::string* error);

}  // namespace kvx::bundle
