// The part of making a startup cache that can only happen once the runtime
// has written its file: at the exit of the start that makes it. Only a file
// that the runtime finished becomes a cache; anything else is removed, and a
// start killed on the way leaves a file no later start uses.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "startup_cache/cache_mode.h"

namespace kvx {

struct CacheCompletion {
  CacheMode mode = CacheMode::None;
  std::string folder;
  std::string key;
  // What the runtime writes at exit.
  std::string writtenFile;
  // For an ahead-of-time cache: the runtime's java program and the
  // application's options, for the run that assembles the cache.
  std::string javaProgram;
  std::vector<std::string> applicationOptions;
  // Held until the work is done, so that no other start makes or removes
  // caches of the application meanwhile.
  std::optional<platform::FileLock> lock;
};

// Leaves completion for the moment the process exits normally. False when
// that cannot be arranged: then the start must not make a cache.
bool completeAtExit(std::unique_ptr<CacheCompletion>& completion);

// The work itself: turns the written file into a finished cache, or removes it.
void completeCache(const CacheCompletion& completion);

}  // namespace kvx
