// Packing a filled package root into a .deb with dpkg-deb.
#pragma once

#include <string>

#include "bundle_options.h"
#include "package_layout.h"
#include "platform/interruption.h"
#include "step_log.h"

namespace kvx::bundle {

struct DebRequest {
  const BundleOptions& options;
  const PackageLayout& layout;
  std::string root;      // the filled package root; DEBIAN/ is added to it
  std::string workDir;   // an empty folder for the dependency search
  std::string output;    // the .deb to write, which must not exist
  std::optional<int64_t> time;  // SOURCE_DATE_EPOCH: every file's time
};

// Writes the control file (with the dependencies its ELF files need and
// its installed size) and the maintainer scripts, fixes modes and times,
// and runs dpkg-deb with root as every file's owner. False with one line
// in *error.
bool packDeb(const DebRequest& request, const StepLog& log, const platform::InterruptionGuard* interruptions,
             std::string* error);

}  // namespace kvx::bundle
