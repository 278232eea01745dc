// The files of a package laid out as they will lie on the installed
// system, in a folder that stands for its root: the application's tree under
// the install directory and, around it, what the desktop and the package
// tools look for.
#pragma once

#include <cstdint>
#include <string>

#include "bundle_options.h"
#include "bundle_plan.h"
#include "package_layout.h"
#include "platform/interruption.h"
#include "step_log.h"

namespace kvx::bundle {

struct PackageRootRequest {
  const BundleOptions& options;
  const BundlePlan& plan;
  const PackageLayout& layout;
  std::string root;    // the folder standing for "/", which exists
  int64_t date;        // of the package's history entry
};

// Builds the tree as --type app or cli would, under root + installDir, then
// adds the desktop entry and the icon (an app tree) or the command linked
// into /usr/bin (a command-line tree), the copyright notice and, for a
// .deb, the changelog and lintian's overrides. False with one line in *error.
bool fillPackageRoot(const PackageRootRequest& request, const StepLog& log,
                     const platform::InterruptionGuard* interruptions, std::string* error);

}  // namespace kvx::bundle
