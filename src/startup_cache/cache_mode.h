// Which kind of startup cache a runtime version gets, and the options that
// say so to the virtual machine.
//
// The start that makes a cache only has the runtime list the classes it
// loads, which changes nothing it does or prints; the archive is built from
// that list after the application has ended, by a separate run of the
// runtime whose output nobody sees. The starts after map the archive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvx {

enum class CacheMode {
  // Older runtimes, or a version the launcher does not know.
  None,
  // 17 to 24: a class-data archive of the listed classes, on top of nothing
  // (so a runtime without its own base archive gets one too).
  ClassArchive,
  // 25 and later: the same archive with the classes also linked ahead of
  // time, which is what the runtime's own ahead-of-time cache holds.
  LinkedClassArchive,
};

CacheMode cacheModeFor(int majorVersion);
// A short description for the trace.
std::string_view describe(CacheMode mode);

inline constexpr std::string_view kCacheSuffix = ".jsa";
inline constexpr std::string_view kClassListSuffix = ".classlist";

// The options of the start that makes a cache: the class list it writes.
std::vector<std::string> recordingOptions(const std::string& classList);
// The options of a start that uses a finished cache. They keep the
// runtime's own messages about its archives (one it cannot map after all)
// from the application's output; they go before every other option, so a
// user's own -Xlog for the same tags would still win.
std::vector<std::string> usingOptions(CacheMode mode, const std::string& cacheFile);
// The options, before the application's own that shape the archive, of the
// run that builds the archive from the class list.
std::vector<std::string> buildOptions(CacheMode mode, const std::string& classList, const std::string& output);

}  // namespace kvx
