// The user's own options for an installed application: a user who needs
// more memory or a proxy setting should not have to edit files that belong
// to the installation (and usually to root).
#include "params/java_parameters.h"
#include "platform/paths.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

OptString bundleIdentifier(const RunState& run) {
  OptString id = run.configString(config::kIdentifier);
  return id && !id->empty() ? id : std::nullopt;
}

}  // namespace

std::optional<std::string> JavaParameters::userOptionsFile() const {
  OptString id = bundleIdentifier(run_);
  if (!id && run_.launcherDirAndName) id = platform::lastPathComponent(*run_.launcherDirAndName);
  // A name with a "/" would reach outside the folder.
  if (!id || id->empty() || id->find('/') != std::string::npos || *id == "." || *id == "..") {
    KVX_TRACE("no name for the user's options file: %@", plist::describe(id).c_str());
    return std::nullopt;
  }
  return platform::joinPath(platform::userConfigDirectory(), "kestrovel/" + *id + ".vmoptions");
}

}  // namespace kvx
