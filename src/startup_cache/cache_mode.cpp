#include "startup_cache/cache_mode.h"

namespace kvx {

CacheMode cacheModeFor(int majorVersion) {
  if (majorVersion >= 25) return CacheMode::LinkedClassArchive;
  if (majorVersion >= 17) return CacheMode::ClassArchive;
  return CacheMode::None;
}

std::string_view describe(CacheMode mode) {
  switch (mode) {
    case CacheMode::ClassArchive: return "class-data archive";
    case CacheMode::LinkedClassArchive: return "class-data archive, classes linked ahead of time";
    case CacheMode::None: break;
  }
  return "none";
}

std::vector<std::string> recordingOptions(const std::string& classList) {
  return {"-XX:DumpLoadedClassList=" + classList};
}

std::vector<std::string> usingOptions(CacheMode mode, const std::string& cacheFile) {
  std::string quiet = mode == CacheMode::LinkedClassArchive ? "-Xlog:aot*=off,cds*=off" : "-Xlog:cds*=off";
  return {quiet, "-XX:SharedArchiveFile=" + cacheFile};
}

std::vector<std::string> buildOptions(CacheMode mode, const std::string& classList, const std::string& output) {
  std::vector<std::string> options{"-Xshare:dump", "-XX:SharedClassListFile=" + classList,
                                   "-XX:SharedArchiveFile=" + output};
  if (mode == CacheMode::LinkedClassArchive) options.push_back("-XX:+AOTClassLinking");
  return options;
}

}  // namespace kvx
