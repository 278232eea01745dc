// The control file of a .deb: what dpkg and the package tools show about it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bundle_options.h"
#include "package_layout.h"

namespace kvx::bundle {

// depends are the clauses found from the shared libraries, then those of
// --linux-package-deps; installedKiB the unpacked size.
std::string debControl(const BundleOptions& options, const PackageLayout& layout,
                       const std::vector<std::string>& depends, uint64_t installedKiB);

}  // namespace kvx::bundle
