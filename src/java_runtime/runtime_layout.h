// Where a Java runtime keeps what the launcher and the packaging tool read:
// its release file, its home and its launch library. The launcher and
// kvx-bundle both look here, so that a runtime the tool ships is one the
// launcher can start.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvx::java_runtime {

// The value of key in the release file of a runtime's home (lines of
// KEY=VALUE, the value in quotes), without its quotes; nullopt when there is
// no such file or line.
std::optional<std::string> releaseValue(const std::string& home, std::string_view key);
// JAVA_VERSION of that file.
std::optional<std::string> releaseJavaVersion(const std::string& home);

// Where a runtime keeps its launch library, relative to runtimePath: the
// first of its places that exists, in the order the runtime layouts have used
// them; nullopt when there is none.
std::optional<std::string> launchLibraryIn(const std::string& runtimePath);
// The launch library a runtime is started through: launchLibraryIn, else
// lib/ untested. A plain runtime home's executable is this file too.
std::string launchLibraryPath(const std::string& runtimePath);

// Where a runtime keeps its home: a runtime bundle in Contents/Home, a plain
// runtime home (no Contents/, such as a Linux JDK) in itself.
std::string runtimeHome(const std::string& runtimePath);

}  // namespace kvx::java_runtime
