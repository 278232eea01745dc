// The path of the running executable, as a command-line launcher fixes its
// own directory and name from it.
#include <cstring>
#include <optional>
#include <string>

#include "entry/entry_points.h"
#include "platform/paths.h"
#include "platform/process.h"

extern "C" __attribute__((visibility("default"))) const char* getExecutablePath() {
  std::optional<std::string> path = kvx::platform::executablePath();
  if (!path) return nullptr;
  std::string resolved =
      kvx::platform::standardizePath(kvx::platform::resolveSymlinks(*path).value_or(*path));
  // Callers keep the text for the rest of the run.
  char* text = new char[resolved.size() + 1];
  memcpy(text, resolved.c_str(), resolved.size() + 1);
  return text;
}
