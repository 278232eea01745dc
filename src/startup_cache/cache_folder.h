// An application's cache folder and the names of the files in it.
//
//   <key>-<seal><suffix>            a finished cache; the seal stands for its
//                                   size and modification time when it was
//                                   finished, so that a file changed since
//                                   (truncated, overwritten) is never used
//   <key>.<pid>.making<suffix>      what the start with that process id writes
//   .lock                           held by the start that makes a cache
//
// Names that begin otherwise are not the launcher's and are left alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"
#include "run/run_state.h"

namespace kvx {

// The folder name of the application: its "CFBundleIdentifier", else the
// launcher's file name with a fingerprint of its path, so that two
// applications of the same name in different places keep apart. nullopt,
// with *why, when neither gives a name that stays inside the folder.
std::optional<std::string> applicationFolderName(const RunState& run, std::string* why);

// ${XDG_CACHE_HOME:-~/.cache}/kestrovel/<name>.
std::string applicationCacheFolder(const std::string& folderName);

inline constexpr std::string_view kLockFileName = ".lock";

std::string sealOf(const platform::FileStatus& status);
std::string finishedCacheName(const std::string& key, const platform::FileStatus& status,
                              std::string_view suffix);
std::string makingFileName(const std::string& key, int processId, std::string_view suffix);

// Whether name is one of the launcher's cache files (finished or being made).
bool isCacheFileName(std::string_view name);

// Removes every cache file among names (finished, or left by a start that
// was killed) and leaves everything else; the paths it removed.
std::vector<std::string> removeCacheFiles(const std::string& folder, const std::vector<std::string>& names);

// The finished cache for key among the folder's names, or nullopt.
std::optional<std::string> findFinishedCache(const std::vector<std::string>& names,
                                             const std::string& key, std::string_view suffix);

// Whether the finished cache's file is still the one that was finished.
bool sealMatches(std::string_view finishedName, const platform::FileStatus& status);

}  // namespace kvx
