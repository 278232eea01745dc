// Version strings: the token comparison that orders runtime directory names,
// the range test for the configured limits, and pre-release detection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run/run_state.h"

namespace kvx::version {

bool isBetaVersion(const OptString& version);
// The class of the first character: digit, text or separator.
int64_t typeOfCharacter(std::string_view text);
StringList splitVersionString(const OptString& version);
// Three-way comparison of two version strings by their tokens.
int64_t compareVersion(const OptString& a, const OptString& b);
// A runtime directory name without its "jdk-", "jre-", "openjdk-" prefixes.
std::string removeJrePrefix(const std::string& name);
// Whether the version components pass the limit: at least a minimum, or at
// most a maximum (max). An absent or empty limit passes everything.
bool compareVersion(const OptString& limit, const StringList& versionList, bool max);

}  // namespace kvx::version
