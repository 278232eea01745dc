#include "platform/process.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "platform/files.h"

extern char** environ;

namespace kvx::platform {

const std::vector<std::string>& processArguments() {
  static const std::vector<std::string> arguments = [] {
    std::vector<std::string> list;
    std::optional<std::string> raw = readFile("/proc/self/cmdline");
    if (!raw) return list;
    size_t start = 0;
    while (start < raw->size()) {
      size_t end = raw->find('\0', start);
      if (end == std::string::npos) end = raw->size();
      list.emplace_back(raw->substr(start, end - start));
      start = end + 1;
    }
    return list;
  }();
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

std::optional<std::string> resolveSymlinks(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  std::string result(resolved);
  free(resolved);
  return result;
}

}  // namespace kvx::platform
