#include "run/run_state.h"

#include "platform/main_bundle.h"
#include "platform/paths.h"
#include "platform/executable_path.h"
#include "platform/process.h"

namespace kvx {

const plist::Value* RunState::configValue(std::string_view key) const {
  return infoDictionary ? infoDictionary->get(key) : nullptr;
}

const plist::Value* RunState::javaVMValue(std::string_view key) const {
  const plist::Value* javaVM = configValue("JavaVM");
  return javaVM ? javaVM->get(key) : nullptr;
}

OptString RunState::applicationName() const {
  const plist::Value* name = configValue("CFBundleName");
  if (name && name->isString() && !name->str().empty()) return name->str();
  if (launcherDirAndName && !launcherDirAndName->empty()) return platform::lastPathComponent(*launcherDirAndName);
  if (!programPath().empty()) return platform::lastPathComponent(programPath());
  return std::nullopt;
}

RunState startingRunState(int argc, char** argv) {
  RunState run;
  run.arguments = platform::processArguments(argc, argv);
  if (OptString path = platform::executablePath(&run.executablePathProblem)) {
    run.executablePath = platform::standardizePath(*path);
    run.mainBundle = platform::mainBundleForExecutable(*run.executablePath);
  }
  run.userDefaults = platform::UserDefaults(platform::applicationDomain(run.mainBundle, run.programPath()));
  return run;
}

bool getBooleanValue(const plist::Value* dictionary, std::string_view key) {
  const plist::Value* value = dictionary ? dictionary->get(key) : nullptr;
  return value != nullptr && plist::boolValue(*value);
}

}  // namespace kvx
