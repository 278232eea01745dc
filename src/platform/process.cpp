#include "platform/process.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/files.h"
#include "platform/read_limits.h"

extern char** environ;

namespace kvx::platform {

std::vector<std::string> processArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  if (std::optional<std::string> raw = readFile("/proc/self/cmdline", read_limit::kArgumentList); raw && !raw->empty()) {
    // Each argument ends with a NUL, the last one too.
    if (raw->back() == '\0') raw->pop_back();
    for (std::string_view argument : splitAt(*raw, '\0')) arguments.emplace_back(argument);
    return arguments;
  }
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

std::vector<std::pair<std::string, std::string>> environment() {
  std::vector<std::pair<std::string, std::string>> result;
  for (char** entry = environ; entry && *entry; ++entry) {
    const char* eq = strchr(*entry, '=');
    if (!eq) continue;
    result.emplace_back(std::string(*entry, static_cast<size_t>(eq - *entry)), std::string(eq + 1));
  }
  return result;
}

int currentProcessId() { return static_cast<int>(getpid()); }

std::optional<std::string> getEnv(const char* name) {
  const char* value = getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

void setEnvIfUnset(const char* name, const std::string& value) { setenv(name, value.c_str(), 0); }

void unsetEnv(const char* name) { unsetenv(name); }

std::optional<std::string> resolveSymlinks(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  std::string result(resolved);
  free(resolved);
  return result;
}

}  // namespace kvx::platform
