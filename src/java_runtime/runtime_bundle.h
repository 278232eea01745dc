// Java runtimes opened as bundles. A runtime installed as a bundle
// (Contents/Info.plist naming JavaVM → JVMVersion) is one already; a plain
// runtime home (a release file naming JAVA_VERSION, no Contents/) is
// presented as one, so that every search location judges it the same way.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/bundle.h"

namespace kvx::java_runtime {

// Where a runtime's information dictionary names its version and vendor:
// "JavaVM" → "JVMVersion", "JVMVendor".
inline constexpr const char* kJavaVMKey = "JavaVM";
inline constexpr const char* kJVMVersionKey = "JVMVersion";
inline constexpr const char* kJVMVendorKey = "JVMVendor";

// Opens a runtime directory as a bundle; null when there is no directory there.
std::shared_ptr<platform::Bundle> openRuntimeBundle(const std::string& directory);

// The runtime's version as its information dictionary names it: "JavaVM"
// → "JVMVersion" (a plain home's comes from its release file). nullopt when
// it names none, and when a value has the wrong type; then *wrongType, when
// given, says which, for a caller that refuses such a runtime.
std::optional<std::string> jvmVersion(const platform::Bundle& runtime, std::string* wrongType = nullptr);

}  // namespace kvx::java_runtime
