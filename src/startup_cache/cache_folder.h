// An application's cache folder and the names of the files in it.
//
//   <key>-<seal>.jsa                 a finished cache; the seal stands for its
//                                    size and modification time when it was
//                                    finished, so that a file changed since
//                                    (truncated, overwritten) is never used
//   <key>.<pid>.making.classlist     the classes the start with that process
//                                    id loaded, the input of the build
//   <key>.<pid>.making.jsa           what the build after it writes
//   <key>.failed                     the build for key failed: no later start
//                                    tries again for the same key
//   .lock                            held by the start that records a class
//                                    list and its build, until the build ends
//
// Names that begin otherwise are not the launcher's and are left alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"
#include "platform/private_folder.h"
#include "run/run_state.h"

namespace kvx {

// The folder name of the application: its "CFBundleIdentifier", else the
// launcher's file name with a fingerprint of its path, so that two
// applications of the same name in different places keep apart. nullopt,
// with *why, when neither gives a name that stays inside the folder.
std::optional<std::string> applicationFolderName(const RunState& run, std::string* why);

// ${XDG_CACHE_HOME:-~/.cache}/kestrovel/<name>, opened as a private folder:
// this user's own, writable by nobody else, never through a link.
std::optional<platform::PrivateFolder> openApplicationCacheFolder(const std::string& folderName, std::string* why);

inline constexpr std::string_view kLockFileName = ".lock";

// How many finished caches an application keeps, and how many bytes they
// may take together; beyond either, the least recently used go first.
inline constexpr size_t kMaximumCaches = 4;
inline constexpr uint64_t kMaximumCacheBytes = 512ULL * 1024 * 1024;

std::string sealOf(const platform::FileStatus& status);
std::string finishedCacheName(const std::string& key, const platform::FileStatus& status);
std::string makingFileName(const std::string& key, int processId, std::string_view suffix);
std::string failedMarkerName(const std::string& key);

// Whether name is one of the launcher's cache files (finished, being made,
// or a failure's marker).
bool isCacheFileName(std::string_view name);
// Whether name is a file of a start or build that is not finished.
bool isMakingFileName(std::string_view name);

// The finished caches for key among the folder's names: normally one, but a
// file planted or damaged under such a name must not hide the real one.
std::vector<std::string> findFinishedCaches(const std::vector<std::string>& names, const std::string& key);
// Whether the finished cache's file is still the one that was finished.
bool sealMatches(std::string_view finishedName, const platform::FileStatus& status);

// A finished cache as the folder holds it, for choosing what goes.
struct FinishedCache {
  std::string name;
  uint64_t size = 0;
  int64_t lastUsedNanoseconds = 0;
};

// The caches to remove so that at most kMaximumCaches stay and they take at
// most kMaximumCacheBytes: the least recently used first. keep (just made)
// stays unless it alone is larger than the bound.
std::vector<std::string> cachesToEvict(std::vector<FinishedCache> caches, const std::string& keep);

}  // namespace kvx
