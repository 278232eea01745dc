#include "startup_cache/cache_folder.h"

#include <algorithm>
#include <cctype>

#include "platform/paths.h"
#include "startup_cache/cache_key.h"
#include "startup_cache/cache_mode.h"

namespace kvx {
namespace {

constexpr size_t kKeyLength = 16;
constexpr std::string_view kMaking = ".making";
constexpr std::string_view kFailed = ".failed";

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
  if (OptString id = run.configString(config::kIdentifier); id && isFolderName(*id)) return id;
  if (!run.launcherDirAndName) {
    *why = "the application has no CFBundleIdentifier and the launcher's path is unknown";
    return std::nullopt;
  }
  std::string name = platform::lastPathComponent(*run.launcherDirAndName) + "-" +
                     hexName(fingerprint(*run.launcherDirAndName)).substr(0, 8);
  if (!isFolderName(name)) {
    *why = *run.launcherDirAndName + ": no folder name can be made from the launcher's path";
    return std::nullopt;
  }
  return name;
}

std::optional<platform::PrivateFolder> openApplicationCacheFolder(const std::string& folderName, std::string* why) {
  return platform::PrivateFolder::open(platform::userCacheDirectory(), {"kestrovel", folderName}, why);
}

std::string sealOf(const platform::FileStatus& status) {
  return hexName(fingerprint(std::to_string(status.size) + " " + std::to_string(status.modifiedNanoseconds)));
}

std::string finishedCacheName(const std::string& key, const platform::FileStatus& status) {
  return key + "-" + sealOf(status) + std::string(kCacheSuffix);
}

std::string makingFileName(const std::string& key, int processId, std::string_view suffix) {
  return key + "." + std::to_string(processId) + std::string(kMaking) + std::string(suffix);
}

std::string failedMarkerName(const std::string& key) { return key + std::string(kFailed); }

bool isCacheFileName(std::string_view name) {
  return name.size() > kKeyLength && isHexName(name.substr(0, kKeyLength)) &&
         (name[kKeyLength] == '-' || name[kKeyLength] == '.');
}

bool isMakingFileName(std::string_view name) {
  return isCacheFileName(name) && name.find(kMaking) != std::string_view::npos;
}

std::vector<std::string> findFinishedCaches(const std::vector<std::string>& names, const std::string& key) {
  std::vector<std::string> found;
  for (const std::string& name : names) {
    std::string_view view = name;
    if (view.size() == 2 * kKeyLength + 1 + kCacheSuffix.size() && view.starts_with(key + "-") &&
        isHexName(view.substr(kKeyLength + 1, kKeyLength)) && view.ends_with(kCacheSuffix)) {
      found.push_back(name);
    }
  }
  return found;
}

bool sealMatches(std::string_view finishedName, const platform::FileStatus& status) {
  return status.isRegular() && finishedName.size() > 2 * kKeyLength &&
         finishedName.substr(kKeyLength + 1, kKeyLength) == sealOf(status);
}

std::vector<std::string> cachesToEvict(std::vector<FinishedCache> caches, const std::string& keep) {
  // The one just made counts as the most recently used.
  std::sort(caches.begin(), caches.end(), [&keep](const FinishedCache& a, const FinishedCache& b) {
    if ((a.name == keep) != (b.name == keep)) return a.name == keep;
    return a.lastUsedNanoseconds > b.lastUsedNanoseconds;
  });
  std::vector<std::string> evicted;
  uint64_t total = 0;
  size_t kept = 0;
  for (const FinishedCache& cache : caches) {
    if (kept < kMaximumCaches && total + cache.size <= kMaximumCacheBytes) {
      total += cache.size;
      ++kept;
    } else {
      evicted.push_back(cache.name);
    }
  }
  return evicted;
}

}  // namespace kvx
