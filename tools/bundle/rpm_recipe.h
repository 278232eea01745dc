// The build recipe rpmbuild reads (its name, version, files and scripts)
// to pack a package root that is already filled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bundle_options.h"
#include "package_layout.h"

namespace kvx::bundle {

struct RpmRecipeParts {
  const BundleOptions& options;
  const PackageLayout& layout;
  std::string root;                          // copied whole into the build root
  std::vector<std::string> bundledLibraries; // file names of the shared libraries the package brings
  int64_t date;                              // of the changelog entry
};

// rpmbuild finds the libraries the package needs itself; those it brings
// are kept out of what it requires and of what it offers to others.
std::string rpmRecipe(const RpmRecipeParts& parts);

// The rpmlint filters (an rpmlintrc) for what a package of ours departs from
// rpm's library and file-system rules on purpose, each with its reason.
std::string rpmlintFilters(bool shipsRuntime);

// A date as an rpm changelog writes it: "Thu Jan 01 1970".
std::string rpmChangelogDate(int64_t time);

}  // namespace kvx::bundle
