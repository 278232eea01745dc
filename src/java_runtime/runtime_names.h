// The names by which this platform's Java runtimes are found.
#pragma once

#include "platform/system_kind.h"

namespace kvx {

inline constexpr const char* kSystemRuntimeDirectory =
    platform::kIsMacOS ? "/Library/Java/JavaVirtualMachines" : "/usr/lib/jvm";
// Whether the virtual machine accepts -Xdock options.
inline constexpr bool kPlatformHasDock = platform::kIsMacOS;
// Whether the system runtime directory names its entries by vendor
// (java-17-openjdk-amd64) rather than by version (jdk-17.jdk).
inline constexpr bool kRuntimeNamesCarryVendor = !platform::kIsMacOS;

// The launch library's file name on this platform: "libjli.so" or "libjli.dylib".
inline constexpr const char* kLaunchLibraryName = platform::kIsMacOS ? "libjli.dylib" : "libjli.so";

}  // namespace kvx
