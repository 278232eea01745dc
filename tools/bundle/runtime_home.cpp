#include "runtime_home.h"

#include "java_version.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/bundle.h"
#include "platform/runtime_names.h"

namespace kvx::bundle {

std::optional<std::string> releaseValue(const std::string& home, std::string_view key) {
  std::optional<std::string> value = platform::releaseValue(home, key);
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::optional<std::string> launchLibraryIn(const std::string& home) {
  // The places the launcher tries, in its order, for a home of either kind.
  for (const char* directory : {"lib/jli/", "lib/"}) {
    std::string candidate = std::string(directory) + kLaunchLibraryName;
    if (platform::fileExists(platform::joinPath(home, candidate))) return candidate;
  }
  return std::nullopt;
}

std::optional<RuntimeDescription> describeRuntime(const std::string& home, std::string* error) {
  std::optional<std::string> library = launchLibraryIn(home);
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
