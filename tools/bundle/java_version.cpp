#include "java_version.h"

#include <algorithm>

#include "base/java_version.h"
#include "runtime_home.h"

namespace kvx::bundle {

std::vector<int> versionNumbers(std::string_view version) {
  std::vector<int> numbers;
  size_t at = 0;
  while (at < version.size() && version[at] >= '0' && version[at] <= '9') {
    int number = 0;
    while (at < version.size() && version[at] >= '0' && version[at] <= '9') {
      number = std::min(number * 10 + (version[at++] - '0'), 1000000);
    }
    numbers.push_back(number);
    if (at < version.size() && (version[at] == '.' || version[at] == '_')) ++at;
  }
  return numbers;
}

int featureRelease(std::string_view version) { return javaMajorVersion(version).value_or(0); }

bool isNewerVersion(std::string_view a, std::string_view b) {
  std::vector<int> first = versionNumbers(a), second = versionNumbers(b);
  return std::lexicographical_compare(second.begin(), second.end(), first.begin(), first.end());
}

std::string javaVersionForClassFile(int major) {
  int release = std::max(major - 44, 1);
  return release <= 8 ? "1." + std::to_string(release) : std::to_string(release);
}

std::optional<std::string> releaseJavaVersion(const std::string& home) {
  return releaseValue(home, "JAVA_VERSION");
}

}  // namespace kvx::bundle
