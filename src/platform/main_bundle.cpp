#include "platform/main_bundle.h"

#include "platform/dictionary_file.h"
#include "platform/paths.h"

namespace kvx::platform {
namespace {

// A bundle without an Info.plist simply has no dictionary; one that is
// there but gives none is worth saying why.
std::optional<plist::Value> readInfoDictionary(const std::string& path, std::string* error) {
  DictionaryFile file = readDictionaryFile(path);
  if (file.status != DictionaryFile::Status::Missing && !file.read()) *error = path + ": " + file.reason;
  return std::move(file.dictionary);
}

}  // namespace

MainBundle mainBundleForExecutable(const std::string& executablePath) {
  // A relative path would place the bundle wherever the current directory
  // happens to be.
  if (!executablePath.starts_with('/')) return MainBundle();
  std::string executableDir = deletingLastPathComponent(executablePath);
  std::string contentsDir = deletingLastPathComponent(executableDir);
  MainBundle bundle;
  if (lastPathComponent(executableDir) == "MacOS" && lastPathComponent(contentsDir) == "Contents") {
    bundle.path = deletingLastPathComponent(contentsDir);
    bundle.infoDictionaryPath = joinPath(contentsDir, "Info.plist");
    bundle.infoDictionary = readInfoDictionary(bundle.infoDictionaryPath, &bundle.infoDictionaryError);
  } else {
    bundle.path = executableDir;
  }
  return bundle;
}

}  // namespace kvx::platform
