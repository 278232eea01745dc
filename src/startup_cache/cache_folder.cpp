#include "startup_cache/cache_folder.h"

#include <cctype>

#include "platform/files.h"
#include "platform/paths.h"
#include "startup_cache/cache_key.h"

namespace kvx {
namespace {

constexpr size_t kKeyLength = 16;

bool isHexName(std::string_view text) {
  if (text.size() != kKeyLength) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'a' || c > 'f')) return false;
  }
  return true;
}

bool isFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

std::optional<std::string> applicationFolderName(const RunState& run, std::string* why) {
  const plist::Value* id = run.configValue("CFBundleIdentifier");
  if (id && id->isString() && isFolderName(id->str())) return id->str();
  if (!run.launcherDirAndName) {
    *why = "the application has no CFBundleIdentifier and the launcher's path is unknown";
    return std::nullopt;
  }
  std::string name = platform::lastPathComponent(*run.launcherDirAndName) + "-" +
                     hexName(fingerprint(*run.launcherDirAndName)).substr(0, 8);
  if (!isFolderName(name)) {
    *why = "no folder name can be made from the launcher's path " + *run.launcherDirAndName;
    return std::nullopt;
  }
  return name;
}

std::string applicationCacheFolder(const std::string& folderName) {
  return platform::joinPath(platform::joinPath(platform::userCacheDirectory(), "kestrovel"), folderName);
}

std::string sealOf(const platform::FileStatus& status) {
  return hexName(fingerprint(std::to_string(status.size) + " " +
                             std::to_string(status.modifiedNanoseconds)));
}

std::string finishedCacheName(const std::string& key, const platform::FileStatus& status,
                              std::string_view suffix) {
  return key + "-" + sealOf(status) + std::string(suffix);
}

std::string makingFileName(const std::string& key, int processId, std::string_view suffix) {
  return key + "." + std::to_string(processId) + ".making" + std::string(suffix);
}

bool isCacheFileName(std::string_view name) {
  return name.size() > kKeyLength && isHexName(name.substr(0, kKeyLength)) &&
         (name[kKeyLength] == '-' || name[kKeyLength] == '.');
}

std::vector<std::string> removeCacheFiles(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<std::string> removed;
  for (const std::string& name : names) {
    std::string path = platform::joinPath(folder, name);
    if (isCacheFileName(name) && platform::removeFile(path)) removed.push_back(path);
  }
  return removed;
}

std::optional<std::string> findFinishedCache(const std::vector<std::string>& names,
                                             const std::string& key, std::string_view suffix) {
  for (const std::string& name : names) {
    std::string_view view = name;
    if (view.size() == 2 * kKeyLength + 1 + suffix.size() && view.starts_with(key + "-") &&
        isHexName(view.substr(kKeyLength + 1, kKeyLength)) && view.ends_with(suffix)) {
      return name;
    }
  }
  return std::nullopt;
}

bool sealMatches(std::string_view finishedName, const platform::FileStatus& status) {
  return status.isRegular() && finishedName.size() > 2 * kKeyLength &&
         finishedName.substr(kKeyLength + 1, kKeyLength) == sealOf(status);
}

}  // namespace kvx
