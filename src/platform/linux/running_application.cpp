#include "platform/running_application.h"

namespace kvx::platform {

// Linux keeps no registry of running applications by bundle identity, so no
// process is ever known by one.
std::optional<std::string> currentApplicationBundleIdentifier() { return std::nullopt; }

}  // namespace kvx::platform
