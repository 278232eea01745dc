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
  std::string name = finishedCacheName(kKey, status(1000, 5), ".jsa");
  std::vector<std::string> names = {".lock", "fedcba9876543210-" + sealOf(status(1000, 5)) + ".jsa",
                                    kKey + ".77.making.jsa", kKey + "-" + sealOf(status(1, 1)) + ".aot",
                                    name};
  EXPECT_EQ(findFinishedCache(names, kKey, ".jsa"), name);
  EXPECT_EQ(findFinishedCache(names, "ffffffffffffffff", ".jsa"), std::nullopt);
  EXPECT_EQ(findFinishedCache({kKey + ".77.making.jsa"}, kKey, ".jsa"), std::nullopt);

  EXPECT_TRUE(sealMatches(name, status(1000, 5)));
  EXPECT_FALSE(sealMatches(name, status(999, 5))) << "truncated";
  EXPECT_FALSE(sealMatches(name, status(1000, 6))) << "written again";
  EXPECT_FALSE(sealMatches(name, {platform::FileStatus::Kind::Directory, 1000, 5}));
}

TEST(CacheFileNames, OnlyTheLaunchersOwnFilesCountAsCaches) {
  for (const std::string& name : {finishedCacheName(kKey, status(1, 2), ".aot"),
                                  makingFileName(kKey, 4242, ".aotconf"), kKey + ".4242.making.aot"}) {
    EXPECT_TRUE(isCacheFileName(name)) << name;
  }
  for (const std::string& name : {std::string(kLockFileName), std::string("notes.txt"), kKey,
                                  std::string("0123456789ABCDEF-x.jsa"), std::string("0123456789abcdeg.1.jsa")}) {
    EXPECT_FALSE(isCacheFileName(name)) << name;
  }
}

TEST(CacheFolder, RemovingCachesLeavesTheLockAndOtherFiles) {
  TempDir dir;
  std::vector<std::string> names = {".lock", "readme.txt", finishedCacheName(kKey, status(1, 2), ".jsa"),
                                    makingFileName(kKey, 99, ".aotconf")};
  for (const std::string& name : names) test::writeFile(dir / name, "x");
  std::vector<std::string> removed = removeCacheFiles(dir.path(), names);
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::string>{dir / names[2], dir / names[3]}));
  EXPECT_TRUE(std::filesystem::exists(dir / ".lock"));
  EXPECT_TRUE(std::filesystem::exists(dir / "readme.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir / names[2]));
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

TEST(ApplicationCacheFolder, LiesUnderTheUsersCacheDirectory) {
  test::ScopedEnv cache("XDG_CACHE_HOME", "/var/tmp/user-cache");
  EXPECT_EQ(applicationCacheFolder("com.example.foo"), "/var/tmp/user-cache/kestrovel/com.example.foo");
}

}  // namespace
}  // namespace kvx
