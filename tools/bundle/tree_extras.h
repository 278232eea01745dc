// What documents and further launchers add to an application's tree: the
// documents' icons, and each further launcher with its configuration, icon
// and desktop entry.
#pragma once

#include <string>

#include "bundle_options.h"
#include "bundle_plan.h"
#include "staging_area.h"

namespace kvx::bundle {

struct TreeExtrasRequest {
  const BundleOptions& options;
  const BundlePlan& plan;
  const StagingArea& staging;
  std::string* error;
};

// False with one line in *error.
bool addDocumentsAndLaunchers(const TreeExtrasRequest& request);

}  // namespace kvx::bundle
