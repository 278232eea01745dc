// Building a startup cache from the class list a start recorded: the work of
// the background worker once that start has ended. The runtime builds the
// archive in a run of its own with nothing but the class path and the
// options that shape the archive; only an archive it wrote to its end
// becomes a cache, and a failed build leaves a marker so that later starts
// with the same key do not try again.
#pragma once

#include <string>
#include <vector>

#include "platform/private_folder.h"
#include "startup_cache/cache_mode.h"

namespace kvx {

struct CacheBuild {
  CacheMode mode = CacheMode::None;
  std::string key;
  // The runtime's java program, which builds the archive.
  std::string javaProgram;
  std::string classPath;
  std::vector<std::string> shapingOptions;
  // Names in the folder: the recorded list, and the archive being written.
  std::string classList;
  std::string output;
};

// The runtime's arguments for the build: after the program's own path.
std::vector<std::string> buildArguments(const CacheBuild& build, const platform::PrivateFolder& folder);

// Builds, keeps or discards the archive, then makes room: at most
// kMaximumCaches caches and kMaximumCacheBytes stay.
void buildCache(const platform::PrivateFolder& folder, const CacheBuild& build);

}  // namespace kvx
