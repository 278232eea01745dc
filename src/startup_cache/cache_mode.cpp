#include "startup_cache/cache_mode.h"

namespace kvx {

CacheMode cacheModeFor(int majorVersion) {
  if (majorVersion >= 25) return CacheMode::AheadOfTime;
  if (majorVersion >= 19) return CacheMode::AutoCreatedArchive;
  if (majorVersion >= 13) return CacheMode::ArchiveAtExit;
  return CacheMode::None;
}

std::string_view describe(CacheMode mode) {
  switch (mode) {
    case CacheMode::ArchiveAtExit: return "dynamic archive";
    case CacheMode::AutoCreatedArchive: return "dynamic archive, re-created by the runtime";
    case CacheMode::AheadOfTime: return "ahead-of-time cache";
    case CacheMode::None: break;
  }
  return "none";
}

std::string_view cacheSuffix(CacheMode mode) { return mode == CacheMode::AheadOfTime ? ".aot" : ".jsa"; }

std::string_view writtenSuffix(CacheMode mode) {
  return mode == CacheMode::AheadOfTime ? ".aotconf" : ".jsa";
}

std::vector<std::string> quietOptions(CacheMode mode, bool making) {
  switch (mode) {
    case CacheMode::ArchiveAtExit:
    case CacheMode::AutoCreatedArchive:
      return {"-Xlog:cds*=off"};
    case CacheMode::AheadOfTime:
      if (!making) return {"-Xlog:aot*=off,cds*=off"};
      // The switch is a diagnostic one; unlocking stays in force for the
      // options after it, which only lets through what would otherwise stop
      // the start.
      return {"-Xlog:aot*=off,cds*=off", "-XX:+UnlockDiagnosticVMOptions", "-XX:-DisplayVMOutput"};
    case CacheMode::None: break;
  }
  return {};
}

std::vector<std::string> makingOptions(CacheMode mode, const std::string& writtenFile) {
  switch (mode) {
    case CacheMode::ArchiveAtExit: return {"-XX:ArchiveClassesAtExit=" + writtenFile};
    case CacheMode::AutoCreatedArchive:
      return {"-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=" + writtenFile};
    case CacheMode::AheadOfTime: return {"-XX:AOTMode=record", "-XX:AOTConfiguration=" + writtenFile};
    case CacheMode::None: break;
  }
  return {};
}

std::vector<std::string> usingOptions(CacheMode mode, const std::string& cacheFile) {
  switch (mode) {
    case CacheMode::ArchiveAtExit:
    case CacheMode::AutoCreatedArchive:
      return {"-XX:SharedArchiveFile=" + cacheFile};
    case CacheMode::AheadOfTime: return {"-XX:AOTCache=" + cacheFile};
    case CacheMode::None: break;
  }
  return {};
}

std::vector<std::string> assemblyOptions(const std::string& configuration, const std::string& output) {
  return {"-XX:AOTMode=create", "-XX:AOTConfiguration=" + configuration, "-XX:AOTCache=" + output};
}

}  // namespace kvx
