#include "startup_cache/cache_mode.h"

#include <gtest/gtest.h>

#include "startup_cache/runtime_identity.h"

namespace kvx {
namespace {

using Options = std::vector<std::string>;

TEST(RuntimeMajorVersion, ReadsEveryWayRuntimesWriteTheirVersion) {
  const std::pair<const char*, int> cases[] = {
      {"17.0.15", 17}, {"17", 17},        {"25.0.3", 25},  {"25-ea", 25}, {"21+35", 21},
      {"1.8.0_392", 8}, {"1.7.0", 7},     {"9", 9},        {"", -1},      {"ea", -1},
      {"1", 1},         {"100.1", 100},
  };
  for (const auto& [version, major] : cases) EXPECT_EQ(majorVersionOf(version), major) << version;
}

struct ModeCase {
  int major;
  CacheMode mode;
  Options making;
  Options using_;
};

TEST(CacheModeByRuntimeVersion, EachRangeGetsItsOwnCacheAndOptions) {
  const std::string written = "/c/k.1.making";
  const std::string cache = "/c/k-s";
  const ModeCase cases[] = {
      {8, CacheMode::None, {}, {}},
      {12, CacheMode::None, {}, {}},
      {13, CacheMode::ArchiveAtExit, {"-Xlog:cds*=off", "-XX:ArchiveClassesAtExit=" + written},
       {"-Xlog:cds*=off", "-XX:SharedArchiveFile=" + cache}},
      {18, CacheMode::ArchiveAtExit, {"-Xlog:cds*=off", "-XX:ArchiveClassesAtExit=" + written},
       {"-Xlog:cds*=off", "-XX:SharedArchiveFile=" + cache}},
      {19, CacheMode::AutoCreatedArchive,
       {"-Xlog:cds*=off", "-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=" + written},
       {"-Xlog:cds*=off", "-XX:SharedArchiveFile=" + cache}},
      {24, CacheMode::AutoCreatedArchive,
       {"-Xlog:cds*=off", "-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=" + written},
       {"-Xlog:cds*=off", "-XX:SharedArchiveFile=" + cache}},
      {25, CacheMode::AheadOfTime,
       {"-Xlog:aot*=off,cds*=off", "-XX:+UnlockDiagnosticVMOptions", "-XX:-DisplayVMOutput",
        "-XX:AOTMode=record", "-XX:AOTConfiguration=" + written},
       {"-Xlog:aot*=off,cds*=off", "-XX:AOTCache=" + cache}},
      {31, CacheMode::AheadOfTime,
       {"-Xlog:aot*=off,cds*=off", "-XX:+UnlockDiagnosticVMOptions", "-XX:-DisplayVMOutput",
        "-XX:AOTMode=record", "-XX:AOTConfiguration=" + written},
       {"-Xlog:aot*=off,cds*=off", "-XX:AOTCache=" + cache}},
  };
  for (const ModeCase& c : cases) {
    CacheMode mode = cacheModeFor(c.major);
    EXPECT_EQ(mode, c.mode) << c.major;
    Options making = quietOptions(mode, true);
    for (const std::string& option : makingOptions(mode, written)) making.push_back(option);
    Options using_ = quietOptions(mode, false);
    for (const std::string& option : usingOptions(mode, cache)) using_.push_back(option);
    EXPECT_EQ(making, c.making) << c.major;
    EXPECT_EQ(using_, c.using_) << c.major;
  }
}

TEST(CacheModeByRuntimeVersion, TheAheadOfTimeCacheIsAssembledFromTheRecordedConfiguration) {
  EXPECT_EQ(assemblyOptions("/c/k.aotconf", "/c/k.aot"),
            (Options{"-XX:AOTMode=create", "-XX:AOTConfiguration=/c/k.aotconf", "-XX:AOTCache=/c/k.aot"}));
  EXPECT_EQ(cacheSuffix(CacheMode::AheadOfTime), ".aot");
  EXPECT_EQ(writtenSuffix(CacheMode::AheadOfTime), ".aotconf");
  EXPECT_EQ(cacheSuffix(CacheMode::ArchiveAtExit), ".jsa");
  EXPECT_EQ(writtenSuffix(CacheMode::AutoCreatedArchive), ".jsa");
}

}  // namespace
}  // namespace kvx
