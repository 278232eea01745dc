// Creating the Launcher fixes the paths every other step resolves against.
#include <algorithm>

#include "app_format/app_layout.h"
#include "app_format/message_keys.h"
#include "base/exception.h"
#include "launcher/launcher.h"
#include "platform/dictionary_file.h"
#include "platform/paths.h"
#include "plist/plist.h"
#include "run/diagnostic_log.h"
#include "run/variables.h"

namespace kvx {
namespace {

// Without a configuration no start can succeed: say which file is at fault
// and why, instead of failing later for a missing main class.
[[noreturn]] void reportMissingConfiguration(const RunState& run) {
  const platform::MainBundle& bundle = run.mainBundle;
  std::string problem;
  if (!bundle.infoDictionaryError.empty()) {
    problem = bundle.infoDictionaryError;
  } else if (!bundle.infoDictionaryPath.empty()) {
    problem = bundle.infoDictionaryPath + ": " + platform::readDictionaryFile(bundle.infoDictionaryPath).reason;
  } else {
    problem = platform::joinPath(bundle.path, platform::lastPathComponent(run.programPath())) +
              ": this launcher lies in no application bundle (Name.app/Contents/MacOS/Name) and "
              "carries no configuration of its own";
  }
  throw MessageError(kConfigurationErrorKey, problem);
}

// The bundle road: the configuration and the paths come from the bundle the
// launcher runs in.
void adoptMainBundle(RunState& run) {
  const platform::MainBundle& bundle = run.mainBundle;
  if (!bundle.infoDictionary) {
    if (!bundle.infoDictionaryError.empty()) {
      KVX_TRACE("INIT no configuration: %@", bundle.infoDictionaryError.c_str());
    }
    reportMissingConfiguration(run);
  }
  run.infoDictionary = &*bundle.infoDictionary;
  run.mainBundlePath = bundle.path;
  run.launcherDirInApp = platform::deletingLastPathComponent(bundle.path);
  // The ".app" is cut whatever the four characters are; a shorter path is
  // cut to nothing rather than read before its start.
  run.launcherDirAndName =
      bundle.path.substr(0, bundle.path.size() - std::min<size_t>(4, bundle.path.size()));
}

void placeApplicationRoot(RunState& run, const std::string& baseDir) {
  if (!run.launcherDirInApp) {
    run.appRootDir.reset();
    return;
  }
  run.appRootDir = platform::standardizePath(platform::joinPath(*run.launcherDirInApp, baseDir));
  if (run.configFlag(config::kInSingleBundle)) {
    run.mainBundlePath = platform::standardizePath(platform::joinPath(*run.appRootDir, "../../.."));
  }
}

}  // namespace

std::shared_ptr<Launcher> Launcher::launcher(RunState& run) {
  auto launcher = std::make_shared<Launcher>(run);
  launcher->init();
  return launcher;
}

Launcher& Launcher::init() {
  if (!run.infoDictionary) adoptMainBundle(run);

  OptString baseDir = run.configString(config::kBaseDir);
  if (baseDir) {
    placeApplicationRoot(run, *baseDir);
  } else {
    run.appRootDir = run.launcherDirAndName
                         ? OptString(*run.launcherDirAndName + ".app/" + app_layout::kBundleAppRoot)
                         : std::nullopt;
    // Substituted now: it sees the new application root but the previous
    // launcher directory, and no runtime yet.
    OptString launcherDir = kvx::replaceVariables(
        run, std::nullopt, run.configString(config::kLauncherDir));
    run.launcherDirInApp = (launcherDir && run.appRootDir)
                               ? OptString(platform::joinPath(*run.appRootDir, *launcherDir))
                               : run.appRootDir;
  }

  KVX_TRACE("INIT %@ %@ %@ %@", plist::describe(run.appRootDir).c_str(),
            plist::describe(run.launcherDirInApp).c_str(),
            plist::describe(run.launcherDirAndName).c_str(),
            plist::describe(run.mainBundlePath).c_str());
  return *this;
}

}  // namespace kvx
