#include "runtime_home.h"

#include "java_runtime/runtime_layout.h"
#include "java_runtime/runtime_names.h"
#include "java_version.h"
#include "platform/bundle.h"

namespace kvx::bundle {

std::optional<std::string> releaseValue(const std::string& home, std::string_view key) {
  std::optional<std::string> value = java_runtime::releaseValue(home, key);
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::optional<RuntimeDescription> describeRuntime(const std::string& home, std::string* error) {
  std::optional<std::string> library = java_runtime::launchLibraryIn(home);
  if (!library) {
    *error = "no lib/" + std::string(kLaunchLibraryName) + " (a Java runtime of release 9 or later?)";
    return std::nullopt;
  }
  std::optional<std::string> version = releaseJavaVersion(home);
  if (!version) {
    *error = "its release file names no JAVA_VERSION";
    return std::nullopt;
  }
  return RuntimeDescription{*version, releaseValue(home, "IMPLEMENTOR"), *library};
}

}  // namespace kvx::bundle
