// The path of the running executable, from which every launcher path is
// derived.
#include <optional>
#include <string>

#include "base/exception.h"
#include "app_format/message_keys.h"
#include "entry/entry_points.h"
#include "platform/executable_path.h"
#include "platform/paths.h"
#include "run/kept_until_exit.h"

// A start takes the path found as it began (RunState::executablePath); this
// gives the same answer to whoever asks by name.
extern "C" __attribute__((visibility("default"))) const char* getExecutablePath() {
  std::optional<std::string> path = kvx::platform::executablePath();
  if (!path) return nullptr;
  // Callers keep the text for the rest of the run.
  return kvx::copyKeptUntilExit(kvx::platform::standardizePath(*path));
}

namespace kvx {

const std::string& requireExecutablePath(const RunState& run) {
  if (!run.executablePath) throw MessageError(kLauncherLocationErrorKey, run.executablePathProblem);
  return *run.executablePath;
}

}  // namespace kvx
