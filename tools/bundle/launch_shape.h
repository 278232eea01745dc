// How a finished application meets its user's command line and finds its
// own files: the working directory, arguments that are only defaults, -J
// options, a chosen class path and a splash image. Real applications needed
// each of these written into their configuration by hand.
#pragma once

#include <string>
#include <vector>

#include "bundle_layout.h"
#include "bundle_options.h"
#include "plist/plist.h"

namespace kvx::bundle {

// The checks that need no file: --arguments with --default-arguments, an
// empty --working-dir, a --class-path or --splash entry that is absolute or
// leaves the input, --default-modules without jlink. False with one line in
// *error.
bool checkLaunchShapeOptions(const BundleOptions& options, std::string* error);

// The checks against the input: every --class-path entry, the --splash file
// and a relative --working-dir are there. False with one line in *error.
bool checkLaunchShapeInput(const BundleOptions& options, std::string* error);

// The keys at the top of the configuration: kvx.appDir (a tree whose input
// lies in lib/), kvx.keepWorkingDirectory (unless --working-dir),
// kvx.allowPassthrough, kvx.argumentsOnlyWhenNone.
void addLaunchShapeKeys(plist::Dictionary& top, const BundleOptions& options);

// The keys of its JavaVM dictionary: WorkingDirectory, SplashFile, and the
// --default-arguments as ArgumentArray.
void addLaunchShapeJavaVMKeys(plist::Dictionary& javaVM, const BundleOptions& options, const BundleLayout& layout);

// --class-path as the launcher reads it: each entry below the input, the
// main jar first when the entries leave it out.
std::string chosenClassPath(const BundleLayout& layout, const std::string& mainJar, const std::string& classPath);

// What --working-dir DIR becomes: DIR when absolute or when it begins with a
// variable, else DIR below the input, named in a way both layouts share.
std::string workingDirectoryValue(const std::string& dir);

}  // namespace kvx::bundle
