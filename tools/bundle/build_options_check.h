// The checks of the options that shape the build rather than the
// application: --launcher-as-service, --app-content, --jlink-options,
// --temp and --resource-dir.
#pragma once

#include <string>

namespace kvx::bundle {

struct BundleOptions;

// Run once all options are read and the package's tree is settled. False
// with one line in *error naming the option and why: a service without a
// package of a command-line tree, or with a package name a unit may not
// have; content that is missing or would take the place of the tree's own
// files; jlink options without jlink, or ones kvx-bundle gives itself;
// --temp without a package, or naming a folder that is not new or empty;
// --resource-dir naming no folder.
bool checkBuildOptions(const BundleOptions& options, std::string* error);

}  // namespace kvx::bundle
