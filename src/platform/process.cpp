#include "platform/process.h"

#include <fcntl.h>
#include <limits.h>
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

int copyExecutablePath(char* buf, uint32_t* size) {
  // readlink does not say how long the link is; ask the link's own size.
  char probe[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", probe, sizeof probe);
  if (n < 0) return -1;
  if (static_cast<uint32_t>(n) + 1 > *size) {
    *size = static_cast<uint32_t>(n) + 1;
    return -1;
  }
  memcpy(buf, probe, static_cast<size_t>(n));
  buf[n] = '\0';
  return 0;
}

// Most paths fit the first buffer; a longer one is asked for again with the
// size the first answer reported.
std::optional<std::string> executablePath() {
  char buffer[1024];
  uint32_t size = sizeof buffer;
  if (copyExecutablePath(buffer, &size) == 0) return std::string(buffer);
  std::vector<char> larger(size);
  if (copyExecutablePath(larger.data(), &size) == 0) return std::string(larger.data());
  return std::nullopt;
}

std::optional<std::string> resolveSymlinks(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  std::string result(resolved);
  free(resolved);
  return result;
}

}  // namespace kvx::platform
