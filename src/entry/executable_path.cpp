// The path of the running executable, as a command-line launcher fixes its
// own directory and name from it.
#include <optional>
#include <string>

#include "entry/entry_points.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "run/kept_until_exit.h"

extern "C" __attribute__((visibility("default"))) const char* getExecutablePath() {
  std::optional<std::string> path = kvx::platform::executablePath();
  if (!path) return nullptr;
  std::string resolved =
      kvx::platform::standardizePath(kvx::platform::resolveSymlinks(*path).value_or(*path));
  // Callers keep the text for the rest of the run.
  return kvx::copyKeptUntilExit(resolved);
}
