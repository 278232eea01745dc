#include "runtime_image.h"

#include <algorithm>
#include <vector>

#include "image/executable_architectures.h"
#include "java_runtime/runtime_bundle.h"
#include "java_runtime/runtime_layout.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/read_limits.h"

namespace kvx::bundle {
namespace {

bool sharesAProcessor(const platform::Bundle& runtime, const std::string& stub) {
  std::optional<std::vector<int32_t>> theirs = runtime.executableArchitectures();
  std::optional<std::string> stubBytes = platform::readFile(stub, platform::read_limit::kExecutable);
  if (!theirs || !stubBytes) return false;
  std::vector<int32_t> ours = image::executableFileArchitectures(*stubBytes);
  return std::any_of(theirs->begin(), theirs->end(),
                     [&](int32_t type) { return std::find(ours.begin(), ours.end(), type) != ours.end(); });
}

// The version the launcher will read: JavaVM → JVMVersion of a bundle's
// Info.plist, or JAVA_VERSION of a plain home's release file.
std::optional<std::string> versionOf(const platform::Bundle& runtime) {
  std::optional<std::string> version = java_runtime::jvmVersion(runtime);
  if (!version || version->empty()) return std::nullopt;
  return version;
}

}  // namespace

std::optional<PreparedRuntime> inspectRuntimeImage(const std::string& directory, const std::string& stub,
                                                   std::string* error) {
  auto refuse = [&](const std::string& reason) {
    *error = "--runtime-image " + directory + ": " + reason;
    return std::nullopt;
  };
  std::shared_ptr<platform::Bundle> runtime = java_runtime::openRuntimeBundle(directory);
  if (!runtime) return refuse("no such directory");
  std::string home = java_runtime::runtimeHome(directory);
  bool isBundle = home != directory;
  std::optional<std::string> library = java_runtime::launchLibraryIn(home);
  if (!library) return refuse("no " + (isBundle ? std::string("Contents/Home/") : "") + "lib/libjli.so");
  std::optional<std::string> version = versionOf(*runtime);
  if (!version) {
    return refuse(isBundle ? "its Contents/Info.plist names no JVMVersion under JavaVM"
                           : "its release file names no JAVA_VERSION");
  }
  if (!sharesAProcessor(*runtime, stub)) {
    return refuse("its " + runtime->executablePath().value_or("executable") +
                  " is not built for the launcher's processor");
  }
  RuntimeDescription description{*version, releaseValue(home, "IMPLEMENTOR"), *library};
  return PreparedRuntime{directory, isBundle, home, description};
}

}  // namespace kvx::bundle
