// The files --file-associations and --add-launcher name, read once every
// option is known, since what they may say depends on the type.
#pragma once

#include <string>

#include "bundle_options.h"

namespace kvx::bundle {

// Fills options.fileAssociations and options.addedLaunchers from the files.
// False with one line in *error: a file that cannot be read or says what
// its option does not take, documents for a tree that has no desktop entry
// (--type cli, but for a package with --linux-shortcut), a launcher named
// as the application or as another launcher, a launcher's icon where no
// icon is shown.
bool readDocumentsAndLaunchers(BundleOptions& options, std::string* error);

// Whether the application shows in a menu: an app tree, or a package's
// command-line tree with --linux-shortcut.
bool hasDesktopEntry(const BundleOptions& options);

}  // namespace kvx::bundle
