// Temporary: the main bundle is still being built.
#include "platform/bundle.h"

namespace kvx::platform {
const MainBundle& mainBundle() { static MainBundle b; return b; }
}  // namespace kvx::platform
