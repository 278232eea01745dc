#include "java_runtime/runtime_bundle.h"

#include "java_runtime/runtime_layout.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace kvx::java_runtime {
namespace {

// Its executable is the very file the launch will open, so that the file
// whose processor is checked is the one that is loaded.
std::shared_ptr<platform::Bundle> openPlainHome(const std::string& directory, const std::string& version) {
  plist::Value info = plist::Value::dictionary(
      {{kJavaVMKey, plist::Value::dictionary({{kJVMVersionKey, plist::Value::string(version)}})}});
  return std::make_shared<platform::Bundle>(directory, std::move(info), launchLibraryPath(directory));
}

}  // namespace

std::shared_ptr<platform::Bundle> openRuntimeBundle(const std::string& directory) {
  if (platform::isDirectory(directory) && !platform::isDirectory(platform::joinPath(directory, "Contents"))) {
    if (std::optional<std::string> version = releaseJavaVersion(directory))
      return openPlainHome(directory, *version);
  }
  return platform::Bundle::open(directory);
}

std::optional<std::string> jvmVersion(const platform::Bundle& runtime, std::string* wrongType) {
  const plist::Value* javaVM = runtime.infoValue(kJavaVMKey);
  if (!javaVM) return std::nullopt;
  const plist::Value* version = javaVM->isDictionary() ? javaVM->get(kJVMVersionKey) : nullptr;
  if (version && version->isString()) return version->str();
  if (wrongType && !javaVM->isDictionary()) {
    *wrongType = "\"" + std::string(kJavaVMKey) + "\" is not a dictionary";
  } else if (wrongType && version) {
    *wrongType = "The value of \"" + std::string(kJVMVersionKey) + "\" is " + plist::typeName(version->type()) +
                 ", not a string.";
  }
  return std::nullopt;
}

}  // namespace kvx::java_runtime
