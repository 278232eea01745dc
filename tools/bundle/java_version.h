// Java version strings as a packaging tool needs them: comparing installed
// JDKs, the feature release, and the release a class file needs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::bundle {

// The leading numbers of a version: 17.0.15 gives 17, 0, 15; 1.8.0_202 gives
// 1, 8, 0, 202; 21-ea gives 21. The first part that is not a number ends it.
std::vector<int> versionNumbers(std::string_view version);

// The feature release, as the launcher reads a runtime's major version: 17
// for 17.0.2, 8 for 1.8.0_202; 0 when there is none.
int featureRelease(std::string_view version);

// Whether a names a later release than b, number by number (17.0.10 > 17.0.9).
bool isNewerVersion(std::string_view a, std::string_view b);

// The lowest Java release that runs class files of this major version,
// written as the launcher's version limits compare it: "1.8" for 52 (the
// installed runtimes of that age call themselves 1.8.0_…), "17" for 61.
std::string javaVersionForClassFile(int major);

// JAVA_VERSION of a runtime home's release file; nullopt when it is missing
// or empty.
std::optional<std::string> releaseJavaVersion(const std::string& home);

}  // namespace kvx::bundle
