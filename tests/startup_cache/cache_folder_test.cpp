#include "startup_cache/cache_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

using test::TempDir;

platform::FileStatus status(uint64_t size, int64_t modified) {
  return {platform::FileStatus::Kind::Regular, size, modified};
}

const std::string kKey = "0123456789abcdef";

TEST(CacheFileNames, AFinishedCacheIsFoundByItsKeyAndTrustedOnlyWhileUnchanged) {
  std::string name = finishedCacheName(kKey, status(1000, 5));
  std::vector<std::string> names = {".lock", "fedcba9876543210-" + sealOf(status(1000, 5)) + ".jsa",
                                    kKey + ".77.making.jsa", failedMarkerName(kKey), name};
  EXPECT_EQ(findFinishedCaches(names, kKey), std::vector<std::string>{name});
  EXPECT_EQ(findFinishedCaches(names, "ffffffffffffffff"), std::vector<std::string>{});
  EXPECT_EQ(findFinishedCaches({kKey + ".77.making.jsa", failedMarkerName(kKey)}, kKey), std::vector<std::string>{});

  EXPECT_TRUE(sealMatches(name, status(1000, 5)));
  EXPECT_FALSE(sealMatches(name, status(999, 5))) << "truncated";
  EXPECT_FALSE(sealMatches(name, status(1000, 6))) << "written again";
  EXPECT_FALSE(sealMatches(name, {platform::FileStatus::Kind::Directory, 1000, 5}));
}

TEST(CacheFileNames, OnlyTheLaunchersOwnFilesCountAsCaches) {
  for (const std::string& name : {finishedCacheName(kKey, status(1, 2)), makingFileName(kKey, 4242, ".classlist"),
                                  kKey + ".4242.making.jsa", failedMarkerName(kKey)}) {
    EXPECT_TRUE(isCacheFileName(name)) << name;
  }
  for (const std::string& name : {std::string(kLockFileName), std::string("notes.txt"), kKey,
                                  std::string("0123456789ABCDEF-x.jsa"), std::string("0123456789abcdeg.1.jsa")}) {
    EXPECT_FALSE(isCacheFileName(name)) << name;
  }
  EXPECT_TRUE(isMakingFileName(makingFileName(kKey, 1, ".jsa")));
  EXPECT_FALSE(isMakingFileName(finishedCacheName(kKey, status(1, 2))));
  EXPECT_FALSE(isMakingFileName(failedMarkerName(kKey)));
}

TEST(CacheEviction, KeepsTheMostRecentlyUsedWithinCountAndBytes) {
  constexpr uint64_t kMiB = 1024 * 1024;
  struct Case {
    const char* what;
    std::vector<FinishedCache> caches;
    std::string keep;
    std::vector<std::string> evicted;
  } cases[] = {
      {"within bounds", {{"a", kMiB, 1}, {"b", kMiB, 2}}, "a", {}},
      {"one too many: the least recently used goes",
       {{"a", kMiB, 5}, {"b", kMiB, 1}, {"c", kMiB, 3}, {"d", kMiB, 4}, {"e", kMiB, 2}}, "a", {"b"}},
      {"the one just made stays though never used",
       {{"new", kMiB, 0}, {"b", kMiB, 9}, {"c", kMiB, 8}, {"d", kMiB, 7}, {"e", kMiB, 6}}, "new", {"e"}},
      {"too many bytes", {{"a", 300 * kMiB, 5}, {"b", 300 * kMiB, 4}}, "a", {"b"}},
      {"one alone larger than the bound goes too", {{"huge", 600 * kMiB, 1}}, "huge", {"huge"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> evicted = cachesToEvict(c.caches, c.keep);
    std::sort(evicted.begin(), evicted.end());
    EXPECT_EQ(evicted, c.evicted) << c.what;
  }
}

class ApplicationFolder : public ::testing::Test {
 protected:
  std::optional<std::string> nameFor(std::optional<plist::Value> identifier, OptString launcher) {
    plist::Dictionary entries;
    if (identifier) entries.emplace_back("CFBundleIdentifier", *identifier);
    info = plist::Value::dictionary(std::move(entries));
    RunState run;
    run.infoDictionary = &info;
    run.launcherDirAndName = std::move(launcher);
    why.clear();
    return applicationFolderName(run, &why);
  }
  plist::Value info;
  std::string why;
};

TEST_F(ApplicationFolder, IsTheBundleIdentifierElseTheLauncherNameWithItsPlace) {
  EXPECT_EQ(nameFor(plist::Value::string("com.example.foo"), "/opt/Foo"), "com.example.foo");

  std::optional<std::string> here = nameFor(std::nullopt, "/opt/a/bin/hello");
  std::optional<std::string> there = nameFor(std::nullopt, "/opt/b/bin/hello");
  ASSERT_TRUE(here && there);
  EXPECT_TRUE(here->starts_with("hello-")) << *here;
  EXPECT_EQ(here->size(), std::string("hello-").size() + 8);
  EXPECT_NE(*here, *there) << "two applications of one name keep apart";
  EXPECT_EQ(nameFor(std::nullopt, "/opt/a/bin/hello"), here);

  // An identifier that would leave the folder, or is no text, is not used.
  for (const plist::Value& bad : {plist::Value::string("../evil"), plist::Value::string(".."),
                                  plist::Value::string(""), plist::Value::integer(7)}) {
    std::optional<std::string> name = nameFor(bad, "/opt/a/bin/hello");
    EXPECT_EQ(name, here);
  }
  EXPECT_EQ(nameFor(std::nullopt, std::nullopt), std::nullopt);
  EXPECT_FALSE(why.empty());
}

TEST(ApplicationCacheFolder, LiesUnderTheUsersCacheDirectoryAndIsPrivate) {
  TempDir dir;
  test::ScopedEnv cache("XDG_CACHE_HOME", dir / "cache");
  std::string why;
  std::optional<platform::PrivateFolder> folder = openApplicationCacheFolder("com.example.foo", &why);
  ASSERT_TRUE(folder) << why;
  EXPECT_EQ(folder->path(), dir / "cache/kestrovel/com.example.foo");
  for (const char* made : {"cache", "cache/kestrovel", "cache/kestrovel/com.example.foo"}) {
    EXPECT_EQ(std::filesystem::status(dir / made).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all)
        << made;
  }
}

}  // namespace
}  // namespace kvx
