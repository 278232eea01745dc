// The names by which this platform's Java runtimes are found.
#pragma once

namespace kvx {

#if defined(__APPLE__)
inline constexpr const char* kSystemRuntimeDirectory = "/Library/Java/JavaVirtualMachines";
#define kLibrarySuffix ".dylib"
// Whether the virtual machine accepts -Xdock options.
inline constexpr bool kPlatformHasDock = true;
// Whether the system runtime directory names its entries by vendor
// (java-17-openjdk-amd64) rather than by version (jdk-17.jdk).
inline constexpr bool kRuntimeNamesCarryVendor = false;
#else
inline constexpr const char* kSystemRuntimeDirectory = "/usr/lib/jvm";
#define kLibrarySuffix ".so"
inline constexpr bool kPlatformHasDock = false;
inline constexpr bool kRuntimeNamesCarryVendor = true;
#endif

// The launch library's file name on this platform: "libjli.so" or "libjli.dylib".
inline constexpr const char* kLaunchLibraryName = "libjli" kLibrarySuffix;

}  // namespace kvx
