// How the system sees the running process as an application.
#pragma once

#include <optional>
#include <string>

namespace kvx::platform {

// The bundle identifier under which the system knows the running application;
// nullopt when it does not know it as an application with a bundle (yet).
std::optional<std::string> currentApplicationBundleIdentifier();

}  // namespace kvx::platform
