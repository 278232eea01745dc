// Turning a runtime home into a runtime bundle, the form an application
// bundle ships its runtime in (Contents/PlugIns/jre.bundle).
#pragma once

#include <optional>
#include <string>

#include "platform/directory_handle.h"
#include "runtime_home.h"

namespace kvx::bundle {

// The Info.plist of a runtime bundle: "JavaVM" → "JVMVersion", which the
// launcher requires, and "CFBundleExecutable", the file in Contents/MacOS
// whose processor it checks.
std::string runtimeInfoPlist(const RuntimeDescription& runtime, const std::optional<std::string>& identifier);

// Completes bundle, whose Contents/Home holds the runtime already: writes
// Contents/Info.plist and makes Contents/MacOS/<launch library> a relative
// link to the library in the home, so the bundle can be moved.
bool completeRuntimeBundle(const platform::FilePlace& bundle, const RuntimeDescription& runtime,
                           const std::optional<std::string>& identifier, std::string* error);

}  // namespace kvx::bundle
