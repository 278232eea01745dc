#include "startup_cache/cache_mode.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using Options = std::vector<std::string>;

TEST(CacheModeByRuntimeVersion, EachRangeGetsItsOwnArchiveAndOnlyTheUsingStartIsQuieted) {
  const std::string list = "/c/k.1.making.classlist";
  const std::string cache = "/c/k-s.jsa";
  const std::string output = "/c/k.1.making.jsa";
  const Options classArchiveBuild{"-Xshare:dump", "-XX:SharedClassListFile=" + list,
                                  "-XX:SharedArchiveFile=" + output};
  Options linkedBuild = classArchiveBuild;
  linkedBuild.push_back("-XX:+AOTClassLinking");
  const struct {
    int major;
    CacheMode mode;
    Options using_;
    Options build;
  } cases[] = {
      {8, CacheMode::None, {}, {}},
      {16, CacheMode::None, {}, {}},
      {17, CacheMode::ClassArchive, {"-Xlog:cds*=off", "-XX:SharedArchiveFile=" + cache}, classArchiveBuild},
      {24, CacheMode::ClassArchive, {"-Xlog:cds*=off", "-XX:SharedArchiveFile=" + cache}, classArchiveBuild},
      {25, CacheMode::LinkedClassArchive, {"-Xlog:aot*=off,cds*=off", "-XX:SharedArchiveFile=" + cache}, linkedBuild},
      {31, CacheMode::LinkedClassArchive, {"-Xlog:aot*=off,cds*=off", "-XX:SharedArchiveFile=" + cache}, linkedBuild},
  };
  for (const auto& c : cases) {
    CacheMode mode = cacheModeFor(c.major);
    EXPECT_EQ(mode, c.mode) << c.major;
    if (mode == CacheMode::None) continue;
    EXPECT_EQ(usingOptions(mode, cache), c.using_) << c.major;
    EXPECT_EQ(buildOptions(mode, list, output), c.build) << c.major;
  }
  // Listing classes is all the start that makes a cache adds: nothing that
  // quiets, unlocks or could refuse.
  EXPECT_EQ(recordingOptions(list), Options{"-XX:DumpLoadedClassList=" + list});
}

}  // namespace
}  // namespace kvx
