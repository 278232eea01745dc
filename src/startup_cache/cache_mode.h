// Which kind of startup cache a runtime version makes and uses, and the
// options that say so to the virtual machine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvx {

enum class CacheMode {
  // Older runtimes, or a version the launcher does not know.
  None,
  // 13 to 18: the start that makes it names the archive to write at exit;
  // the starts after name it to map.
  ArchiveAtExit,
  // 19 to 24: the same archive, but the start that makes it leaves its
  // creation to the runtime's own automatic archive.
  AutoCreatedArchive,
  // 25 and later: the ahead-of-time cache. The start that makes it records a
  // configuration at exit; a second run of the runtime assembles the cache.
  AheadOfTime,
};

CacheMode cacheModeFor(int majorVersion);
// A short description for the trace.
std::string_view describe(CacheMode mode);

// The ending of a finished cache's file name: ".jsa" for archives, ".aot".
std::string_view cacheSuffix(CacheMode mode);
// The ending of the file the start that makes a cache writes at exit.
std::string_view writtenSuffix(CacheMode mode);

// Options that keep the runtime's own messages about its archives (a stale,
// foreign or half-written file; classes it skips) from the application's
// output. They go before every other option so that a user's own -Xlog for
// the same tags still wins. The start that makes an ahead-of-time cache also
// prints lines of its own with no log tag, which only its console switch
// silences.
std::vector<std::string> quietOptions(CacheMode mode, bool making);
// The options of a start that writes the file at exit.
std::vector<std::string> makingOptions(CacheMode mode, const std::string& writtenFile);
// The options of a start that uses a finished cache.
std::vector<std::string> usingOptions(CacheMode mode, const std::string& cacheFile);
// The options, after the application's own, of the run that turns a
// recorded configuration into an ahead-of-time cache.
std::vector<std::string> assemblyOptions(const std::string& configuration, const std::string& output);

}  // namespace kvx
