#include "platform/workspace.h"

#include <optional>

#include "platform/detached_process.h"
#include "base/exception.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "plist/plist.h"

namespace kvx::platform {
namespace {

// The executable the bundle's information dictionary names, or the reason
// there is none.
std::optional<std::string> bundleExecutable(const std::string& bundlePath, std::string* error) {
  if (bundlePath.empty()) {
    *error = "There is no application bundle to launch";
    return std::nullopt;
  }
  std::string infoPath = joinPath(bundlePath, "Contents/Info.plist");
  std::optional<std::string> bytes = readFile(infoPath);
  if (!bytes) {
    *error = "The application " + bundlePath + " has no information dictionary at " + infoPath;
    return std::nullopt;
  }
  std::string parseError;
  std::optional<plist::Value> info = plist::parse(*bytes, &parseError);
  if (!info) {
    *error = "The information dictionary " + infoPath + " could not be read: " + parseError;
    return std::nullopt;
  }
  const plist::Value* name = info->get("CFBundleExecutable");
  if (!name || !name->isString() || name->str().empty()) {
    *error = "The application " + bundlePath + " names no executable (CFBundleExecutable)";
    return std::nullopt;
  }
  return joinPath(joinPath(bundlePath, "Contents/MacOS"), name->str());
}

}  // namespace

WorkspaceLaunch launchApplication(const std::string& bundlePath, uint64_t /*options*/,
                                  const std::vector<std::string>& arguments) {
  WorkspaceLaunch result;
  std::optional<std::string> executable = bundleExecutable(bundlePath, &result.error);
  if (!executable) return result;
  try {
    result.processIdentifier = startDetached(*executable, arguments);
  } catch (const PlatformException& e) {
    result.error = e.reason();
  }
  return result;
}

}  // namespace kvx::platform
