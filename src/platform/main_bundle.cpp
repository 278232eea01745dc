#include "platform/main_bundle.h"

#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx::platform {
namespace {

std::optional<plist::Value> readInfoDictionary(const std::string& path, std::string* error) {
  std::optional<std::string> bytes = readFile(path);
  // A bundle without an Info.plist simply has no dictionary.
  if (!bytes) return std::nullopt;
  std::string reason;
  std::optional<plist::Value> value = plist::parse(*bytes, &reason);
  if (!value) {
    *error = path + ": " + reason;
    return std::nullopt;
  }
  if (!value->isDictionary()) {
    *error = path + ": the root is not a dictionary";
    return std::nullopt;
  }
  return value;
}

std::string runningExecutablePath() {
  std::string buffer(1024, '\0');
  uint32_t size = static_cast<uint32_t>(buffer.size());
  if (copyExecutablePath(buffer.data(), &size) != 0) {
    if (size <= buffer.size()) return "";
    buffer.assign(size, '\0');
    if (copyExecutablePath(buffer.data(), &size) != 0) return "";
  }
  buffer.resize(strlen(buffer.c_str()));
  return buffer;
}

}  // namespace

MainBundle mainBundleForExecutable(const std::string& executablePath) {
  std::string executableDir = deletingLastPathComponent(executablePath);
  std::string contentsDir = deletingLastPathComponent(executableDir);
  MainBundle bundle;
  if (lastPathComponent(executableDir) == "MacOS" && lastPathComponent(contentsDir) == "Contents") {
    bundle.path = deletingLastPathComponent(contentsDir);
    bundle.infoDictionary =
        readInfoDictionary(joinPath(contentsDir, "Info.plist"), &bundle.infoDictionaryError);
  } else {
    bundle.path = executableDir;
  }
  return bundle;
}

const MainBundle& mainBundle() {
  static const MainBundle bundle = mainBundleForExecutable(runningExecutablePath());
  return bundle;
}

}  // namespace kvx::platform
