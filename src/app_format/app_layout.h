// Where an application's parts lie, relative to its application root or to
// its bundle: the launcher looks there and kvx-bundle puts them there.
#pragma once

namespace kvx::app_layout {

// Below the application root.
inline constexpr const char* kMessagesBundle = ".kestrovel/Messages.bundle";
inline constexpr const char* kRuntimeHome = ".kestrovel/jre";
inline constexpr const char* kRuntimeBundle = ".kestrovel/jre.bundle";
// What kvx-bundle adds for modular applications; the configuration names
// them through variables, so the launcher never looks for them itself.
inline constexpr const char* kModulesFolder = ".kestrovel/modules";
inline constexpr const char* kNativeFolder = ".kestrovel/native";

// Below an application bundle (Foo.app).
inline constexpr const char* kBundleAppRoot = "Contents/Resources/app";
inline constexpr const char* kBundleRuntimeInResources = "Contents/Resources/jre.bundle";
inline constexpr const char* kBundleRuntimeInPlugIns = "Contents/PlugIns/jre.bundle";

}  // namespace kvx::app_layout
