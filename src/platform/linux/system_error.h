// The system's text for an error number.
#pragma once

#include <string>

namespace kvx::platform {

// strerror's text for errno value error, safe to call from any thread.
std::string systemErrorText(int error);

}  // namespace kvx::platform
