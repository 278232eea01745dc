#include "run/diagnostic_log.h"

#include <cstdarg>
#include <cstring>

#include "platform/process.h"
#include "platform/system_log.h"

extern "C" {

__attribute__((visibility("default"))) int32_t logStatus = 0;

__attribute__((visibility("default"))) void DLog(const char* format, ...) {
  if (!kvx::traceEnabled()) return;
  va_list args;
  va_start(args, format);
  kvx::platform::systemLogV(format, args);
  va_end(args);
}
}

namespace kvx {

bool traceEnabled() {
  if (logStatus == 0) {
    std::optional<std::string> value = platform::getEnv("KESTROVEL_LOG");
    logStatus = (value && *value == "yes") ? 1 : 2;
  }
  return logStatus == 1;
}

}  // namespace kvx
