#include "platform/workspace.h"

#include <optional>

#include "platform/dictionary_file.h"
#include "platform/executable_path.h"
#include "platform/paths.h"
#include "platform/program.h"
#include "plist/plist.h"

namespace kvx::platform {
namespace {

// The executable the bundle's information dictionary names, or the reason
// there is none.
std::optional<std::string> bundleExecutable(const std::string& bundlePath, std::string* error) {
  if (bundlePath.empty()) {
    *error = "There is no application bundle to launch";
    return std::nullopt;
  }
  std::string infoPath = joinPath(bundlePath, "Contents/Info.plist");
  DictionaryFile info = readDictionaryFile(infoPath);
  if (info.status == DictionaryFile::Status::Missing) {
    *error = infoPath + ": no such file";
    return std::nullopt;
  }
  if (!info.read()) {
    *error = infoPath + ": cannot be read: " + info.reason;
    return std::nullopt;
  }
  const plist::Value* name = info.dictionary->get("CFBundleExecutable");
  if (!name || !name->isString() || name->str().empty()) {
    // A bundle that names no executable is still started by the one running
    // inside it, as the platform's own bundles are.
    std::optional<std::string> self = executablePath();
    if (self && deletingLastPathComponent(*self) == joinPath(bundlePath, "Contents/MacOS")) return self;
    *error = infoPath + ": names no executable (CFBundleExecutable)";
    return std::nullopt;
  }
  return joinPath(joinPath(bundlePath, "Contents/MacOS"), name->str());
}

}  // namespace

std::optional<int32_t> launchApplication(const std::string& bundlePath, uint64_t /*options*/,
                                         const std::vector<std::string>& arguments,
                                         std::string* error) {
  std::optional<std::string> executable = bundleExecutable(bundlePath, error);
  if (!executable) return std::nullopt;
  return startDetached(*executable, arguments, error);
}

}  // namespace kvx::platform
