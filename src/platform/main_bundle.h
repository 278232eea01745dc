// The application bundle that holds an executable.
#pragma once

#include <string>

#include "platform/bundle.h"

namespace kvx::platform {

// The executable at X/Contents/MacOS/name belongs to the bundle X, whose
// information dictionary is X/Contents/Info.plist (XML or binary). Any other
// executable's bundle is its own directory, without a dictionary. A path
// that is not absolute belongs to no bundle: the result is empty.
MainBundle mainBundleForExecutable(const std::string& executablePath);

}  // namespace kvx::platform
