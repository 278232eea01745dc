// What a packaging tool needs to know of a Java runtime's home.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvx::bundle {

struct RuntimeDescription {
  std::string version;                 // JAVA_VERSION of its release file
  std::optional<std::string> vendor;   // IMPLEMENTOR, when named
  std::string launchLibrary;           // relative to the home: lib/libjli.so or lib/jli/libjli.so
};

// The value of a key of a runtime home's release file (IMPLEMENTOR, …);
// nullopt when it is missing or empty.
std::optional<std::string> releaseValue(const std::string& home, std::string_view key);

// The runtime at home, or nullopt with what it lacks in *error: a launch
// library where the launcher looks for one, or a release file naming its version.
std::optional<RuntimeDescription> describeRuntime(const std::string& home, std::string* error);

}  // namespace kvx::bundle
