// Creating the Launcher fixes the paths every other step resolves against.
#include <algorithm>

#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
#include "platform/paths.h"
#include "plist/plist.h"

namespace kvx {
namespace {

// The bundle road: the configuration and the paths come from the bundle the
// launcher runs in.
void adoptMainBundle(const platform::MainBundle& bundle) {
  if (bundle.infoDictionary) {
    s_infoDictionary = &*bundle.infoDictionary;
  } else if (!bundle.infoDictionaryError.empty()) {
    KVX_TRACE("INIT no configuration: %@", bundle.infoDictionaryError.c_str());
  }
  s_mainBundlePath = bundle.path;
  s_launcherDirInApp = platform::deletingLastPathComponent(bundle.path);
  // The ".app" is cut whatever the four characters are; a shorter path is
  // cut to nothing rather than read before its start.
  s_launcherDirAndName = bundle.path.substr(0, bundle.path.size() - std::min<size_t>(4, bundle.path.size()));
}

void placeApplicationRoot(const std::string& baseDir) {
  if (!s_launcherDirInApp) {
    s_appRootDir.reset();
    return;
  }
  s_appRootDir = platform::standardizePath(platform::joinPath(*s_launcherDirInApp, baseDir));
  if (getBooleanValue(s_infoDictionary, "kvx.inSingleBundle")) {
    s_mainBundlePath = platform::standardizePath(platform::joinPath(*s_appRootDir, "../../.."));
  }
}

}  // namespace

std::shared_ptr<Launcher> Launcher::launcher() {
  auto launcher = std::make_shared<Launcher>();
  launcher->init(platform::mainBundle());
  return launcher;
}

Launcher::Launcher() = default;

Launcher& Launcher::init(const platform::MainBundle& mainBundle) {
  if (!s_infoDictionary) adoptMainBundle(mainBundle);

  OptString baseDir = plist::stringValue(configValue("kvx.baseDir"), "kvx.baseDir");
  if (baseDir) {
    placeApplicationRoot(*baseDir);
  } else {
    s_appRootDir = s_launcherDirAndName
                       ? OptString(*s_launcherDirAndName + ".app/Contents/Resources/app")
                       : std::nullopt;
    // Substituted now: it sees the new application root but the previous
    // launcher directory, and no runtime yet.
    OptString launcherDir =
        replaceVariables(plist::stringValue(configValue("kvx.launcherDir"), "kvx.launcherDir"));
    s_launcherDirInApp = (launcherDir && s_appRootDir)
                             ? OptString(platform::joinPath(*s_appRootDir, *launcherDir))
                             : s_appRootDir;
  }

  KVX_TRACE("INIT %@ %@ %@ %@", plist::describe(s_appRootDir).c_str(),
            plist::describe(s_launcherDirInApp).c_str(), plist::describe(s_launcherDirAndName).c_str(),
            plist::describe(s_mainBundlePath).c_str());
  return *this;
}

bool getBooleanValue(const plist::Value* dictionary, std::string_view key) {
  const plist::Value* value = dictionary ? dictionary->get(key) : nullptr;
  return value != nullptr && plist::boolValue(*value);
}

}  // namespace kvx
