// Where --app-content puts the packager's extra files and folders: beside
// the copy of the input, under their own names, so that the application
// finds them from its root.
#pragma once

#include <string>
#include <vector>

#include "bundle_options.h"

namespace kvx::bundle {

// The place in the tree of the content at path: Contents/Resources/BASE in
// an app tree (beside Contents/Resources/app, the application's root), BASE
// at the top of a cli tree (beside lib/, in the application's root).
std::string appContentPlace(BundleType type, const std::string& path);

// The names in that folder which are the tree's own and no content may take.
std::vector<std::string> namesTakenBeside(const BundleOptions& options);

}  // namespace kvx::bundle
