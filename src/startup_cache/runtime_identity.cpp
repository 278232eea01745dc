#include "startup_cache/runtime_identity.h"

#include "base/java_version.h"
#include "java_runtime/runtime_bundle.h"
#include "java_runtime/runtime_layout.h"
#include "platform/bundle.h"

namespace kvx {
namespace {

std::optional<std::string> bundleVersion(const RuntimeChoice& runtime) {
  if (!runtime.javaBundle) return runtime.javaVersion;
  std::optional<std::string> version = java_runtime::jvmVersion(*runtime.javaBundle);
  return version ? version : runtime.javaVersion;
}

}  // namespace

std::optional<RuntimeIdentity> identifyRuntime(const RuntimeChoice& runtime, std::string* why) {
  if (!runtime.javaBundlePath) {
    *why = "no runtime was chosen";
    return std::nullopt;
  }
  RuntimeIdentity identity;
  identity.path = *runtime.javaBundlePath;
  identity.home = java_runtime::runtimeHome(identity.path);
  std::optional<std::string> version = java_runtime::releaseJavaVersion(identity.home);
  if (!version) version = bundleVersion(runtime);
  if (!version) {
    *why = identity.path + ": the runtime names no version";
    return std::nullopt;
  }
  identity.version = *version;
  identity.majorVersion = javaMajorVersion(*version).value_or(-1);
  return identity;
}

}  // namespace kvx
