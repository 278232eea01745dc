#include "run/run_state.h"

#include <cassert>

#include "platform/executable_path.h"
#include "platform/main_bundle.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

// Whether a value of another type than key's ends the start; when it does
// not, a trace line says why the value is not used.
bool wrongTypeEndsTheStart(const config::Key& key, const plist::Value& value) {
  if (key.onWrongType == config::EndsTheStart) return true;
  KVX_TRACE("%@ is %@, not used", std::string(key.name).c_str(), plist::typeName(value.type()));
  return false;
}

bool hasBooleanReading(const plist::Value& value) {
  plist::Type type = value.type();
  return type == plist::Type::Boolean || type == plist::Type::Integer || type == plist::Type::Real ||
         type == plist::Type::String;
}

}  // namespace

const plist::Value* RunState::configValue(const config::Key& key) const {
  if (!infoDictionary) return nullptr;
  if (key.place == config::TopLevel) return infoDictionary->get(key.name);
  const plist::Value* javaVM = infoDictionary->get(config::kJavaVM.name);
  return javaVM ? javaVM->get(key.name) : nullptr;
}

OptString RunState::configString(const config::Key& key) const {
  assert(key.type == config::String);
  const plist::Value* value = configValue(key);
  if (value && !value->isString() && !wrongTypeEndsTheStart(key, *value)) return std::nullopt;
  return plist::stringValue(value, key.name);
}

std::optional<StringList> RunState::configStrings(const config::Key& key) const {
  assert(key.type == config::StringArray);
  const plist::Value* value = configValue(key);
  if (value && !value->isArray() && !wrongTypeEndsTheStart(key, *value)) return std::nullopt;
  return plist::stringArrayValue(value, key.name);
}

bool RunState::configFlag(const config::Key& key) const {
  assert(key.type == config::Boolean);
  const plist::Value* value = configValue(key);
  if (!value) return false;
  if (!hasBooleanReading(*value) && !wrongTypeEndsTheStart(key, *value)) return false;
  return plist::boolValue(*value);
}

OptString RunState::applicationName() const {
  // Read leniently: this names the application in the very messages that
  // report a configuration the start cannot use.
  const plist::Value* name = configValue(config::kName);
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

}  // namespace kvx
