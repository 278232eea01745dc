// Packing a filled package root into an .rpm with rpmbuild.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bundle_options.h"
#include "package_layout.h"
#include "platform/interruption.h"
#include "step_log.h"

namespace kvx::bundle {

struct RpmRequest {
  const BundleOptions& options;
  const PackageLayout& layout;
  std::string root;      // the filled package root
  std::string workDir;   // an empty folder for rpmbuild's own tree
  std::string output;    // the .rpm to write, which must not exist
  std::optional<int64_t> time;  // SOURCE_DATE_EPOCH
};

// Writes the build recipe and runs rpmbuild with the settings that make its output
// depend on the inputs alone when a time is given (the build host's name and
// the build time replaced, file times clamped). False with one line in *error.
bool packRpm(const RpmRequest& request, const StepLog& log, const platform::InterruptionGuard* interruptions,
             std::string* error);

}  // namespace kvx::bundle
