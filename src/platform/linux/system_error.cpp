#include "platform/linux/system_error.h"

#include <string.h>

namespace kvx::platform {

std::string systemErrorText(int error) {
  char buffer[256];
  // The GNU strerror_r may return a static string instead of filling the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace kvx::platform
