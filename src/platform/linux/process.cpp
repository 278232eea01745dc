#include "platform/process.h"

#include <stdlib.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/files.h"
#include "platform/read_limits.h"

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

int currentProcessId() { return static_cast<int>(getpid()); }

std::optional<std::string> resolveSymlinks(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  std::string result(resolved);
  free(resolved);
  return result;
}

void endProcessAtOnce(int status) { _exit(status); }

}  // namespace kvx::platform
