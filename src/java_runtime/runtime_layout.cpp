#include "java_runtime/runtime_layout.h"

#include <array>

#include "base/text.h"
#include "java_runtime/runtime_names.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/read_limits.h"

namespace kvx::java_runtime {

std::optional<std::string> releaseJavaVersion(const std::string& home) {
  return releaseValue(home, "JAVA_VERSION");
}

std::optional<std::string> releaseValue(const std::string& home, std::string_view key) {
  // What lies beyond the limit is no part of a release file.
  std::optional<std::string> release =
      platform::readFileHead(platform::joinPath(home, "release"), platform::read_limit::kReleaseFile);
  if (!release) return std::nullopt;
  constexpr std::string_view kBlanks = " \t\r";
  for (std::string_view line : splitAt(*release, '\n')) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || trimmed(line.substr(0, equals), kBlanks) != key)
      continue;
    std::string value(trimmed(line.substr(equals + 1), kBlanks));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return std::nullopt;
}

std::optional<std::string> launchLibraryIn(const std::string& runtimePath) {
  // Older runtimes keep the library in a nested jre, newer ones in lib/ or lib/jli/.
  constexpr std::array<const char*, 5> kLibraryDirectories = {
      "Contents/Home/jre/lib/jli/", "Contents/Home/lib/jli/", "Contents/Home/lib/", "lib/jli/", "lib/",
  };
  for (const char* directory : kLibraryDirectories) {
    std::string candidate = std::string(directory) + kLaunchLibraryName;
    if (platform::fileExists(platform::joinPath(runtimePath, candidate))) return candidate;
  }
  return std::nullopt;
}

std::string launchLibraryPath(const std::string& runtimePath) {
  // Not tested: if it is not there either, opening it reports the failure.
  return platform::joinPath(runtimePath,
                            launchLibraryIn(runtimePath).value_or(std::string("lib/") + kLaunchLibraryName));
}

std::string runtimeHome(const std::string& runtimePath) {
  if (platform::isDirectory(platform::joinPath(runtimePath, "Contents")))
    return platform::joinPath(runtimePath, "Contents/Home");
  return runtimePath;
}

}  // namespace kvx::java_runtime
