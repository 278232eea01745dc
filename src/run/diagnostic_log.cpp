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

std::string shortFunctionName(std::string_view signature) {
  // The name ends where its parameter list opens; the return type, if any,
  // ends at the last blank outside template brackets before it.
  std::string_view name = signature.substr(0, signature.find('('));
  int depth = 0;
  for (size_t i = name.size(); i-- > 0;) {
    if (name[i] == '>') ++depth;
    if (name[i] == '<') --depth;
    if (name[i] == ' ' && depth == 0) {
      name.remove_prefix(i + 1);
      break;
    }
  }
  std::string result(name);
  for (std::string_view scope : {"kvx::", "platform::", "{anonymous}::", "(anonymous namespace)::"}) {
    for (size_t at; (at = result.find(scope)) != std::string::npos;) result.erase(at, scope.size());
  }
  return result;
}

bool traceEnabled() {
  if (logStatus == 0) {
    std::optional<std::string> value = platform::getEnv("KESTROVEL_LOG");
    logStatus = (value && *value == "yes") ? 1 : 2;
  }
  return logStatus == 1;
}

}  // namespace kvx
