// The path of the running executable, as a command-line launcher fixes its
// own directory and name from it.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "entry/entry_points.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace {

// Most paths fit the first buffer; a longer one is asked for again with
// the size the first answer reported.
std::optional<std::string> queryExecutablePath() {
  char buffer[1024];
  uint32_t size = sizeof buffer;
  if (kvx::platform::copyExecutablePath(buffer, &size) == 0) return std::string(buffer);
  std::vector<char> larger(size);
  if (kvx::platform::copyExecutablePath(larger.data(), &size) == 0) {
    return std::string(larger.data());
  }
  return std::nullopt;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* getExecutablePath() {
  std::optional<std::string> path = queryExecutablePath();
  if (!path) return nullptr;
  std::string resolved =
      kvx::platform::standardizePath(kvx::platform::resolveSymlinks(*path).value_or(*path));
  // Callers keep the text for the rest of the run.
  char* text = new char[resolved.size() + 1];
  memcpy(text, resolved.c_str(), resolved.size() + 1);
  return text;
}
