#include "runtime_bundle.h"

#include "java_runtime/runtime_bundle.h"
#include "platform/file_creation.h"
#include "platform/paths.h"
#include "plist/plist.h"

namespace kvx::bundle {

std::string runtimeInfoPlist(const RuntimeDescription& runtime, const std::optional<std::string>& identifier) {
  plist::Dictionary javaVM;
  javaVM.emplace_back(java_runtime::kJVMVersionKey, plist::Value::string(runtime.version));
  if (runtime.vendor) javaVM.emplace_back(java_runtime::kJVMVendorKey, plist::Value::string(*runtime.vendor));
  plist::Dictionary info;
  info.emplace_back("CFBundleExecutable",
                    plist::Value::string(platform::lastPathComponent(runtime.launchLibrary)));
  if (identifier) info.emplace_back("CFBundleIdentifier", plist::Value::string(*identifier + ".runtime"));
  info.emplace_back("CFBundleInfoDictionaryVersion", plist::Value::string("6.0"));
  info.emplace_back("CFBundlePackageType", plist::Value::string("BNDL"));
  info.emplace_back(java_runtime::kJavaVMKey, plist::Value::dictionary(std::move(javaVM)));
  return plist::writeXml(plist::Value::dictionary(std::move(info)));
}

bool completeRuntimeBundle(const platform::FilePlace& bundle, const RuntimeDescription& runtime,
                           const std::optional<std::string>& identifier, std::string* error) {
  platform::FilePlace contents = bundle.child("Contents");
  platform::FilePlace macos = contents.child("MacOS");
  std::string library = platform::lastPathComponent(runtime.launchLibrary);
  return platform::writeNewFile(contents.child("Info.plist"), runtimeInfoPlist(runtime, identifier), 0644, error) &&
         platform::createDirectories(macos, error) &&
         platform::createSymbolicLink("../Home/" + runtime.launchLibrary, macos.child(library), error);
}

}  // namespace kvx::bundle
