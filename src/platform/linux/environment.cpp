#include "platform/environment.h"

#include <stdlib.h>
#include <string.h>

extern char** environ;

namespace kvx::platform {

std::vector<std::pair<std::string, std::string>> environment() {
  std::vector<std::pair<std::string, std::string>> result;
  for (char** entry = environ; entry && *entry; ++entry) {
    const char* eq = strchr(*entry, '=');
    if (!eq) continue;
    result.emplace_back(std::string(*entry, static_cast<size_t>(eq - *entry)), std::string(eq + 1));
  }
  return result;
}

std::optional<std::string> getEnv(const char* name) {
  const char* value = getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

void setEnvIfUnset(const char* name, const std::string& value) { setenv(name, value.c_str(), 0); }

void unsetEnv(const char* name) { unsetenv(name); }

}  // namespace kvx::platform
