// Temporary: runtime bundles are still being built.
#include "platform/bundle.h"

namespace kvx::platform {
std::shared_ptr<Bundle> Bundle::open(const std::string&) { return nullptr; }
}  // namespace kvx::platform
