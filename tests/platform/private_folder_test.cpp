// A folder only this user can change: what it opens, makes and refuses, and
// that it never acts through a link or on another's file.
#include "platform/private_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(PrivateFolder, MakesWhatIsMissingPrivateAndWorksOnlyOnItsOwnFiles) {
  TempDir dir;
  std::string why;
  std::optional<PrivateFolder> folder = PrivateFolder::open(dir / "base", {"a", "b"}, &why);
  ASSERT_TRUE(folder) << why;
  EXPECT_EQ(folder->path(), dir / "base/a/b");
  EXPECT_EQ(fs::status(dir / "base/a/b").permissions() & fs::perms::all, fs::perms::owner_all);

  ASSERT_TRUE(folder->createFile("list", &why)) << why;
  EXPECT_EQ(fs::status(dir / "base/a/b/list").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(folder->createFile("list", &why)) << "never over an existing file";
  EXPECT_TRUE(folder->holdsOwnFile("list"));
  ASSERT_TRUE(folder->rename("list", "kept", &why)) << why;

  // A link, a file others may write, a folder: none is removed or read.
  fs::create_symlink(dir / "target", dir / "base/a/b/link");
  test::writeFile(dir / "target", "theirs");
  test::writeFile(dir / "base/a/b/open", "x");
  fs::permissions(dir / "base/a/b/open", fs::perms::all);
  fs::create_directory(dir / "base/a/b/sub");
  for (const char* name : {"link", "open", "sub", "../b", "missing"}) {
    EXPECT_FALSE(folder->holdsOwnFile(name)) << name;
    EXPECT_FALSE(folder->removeOwnFile(name)) << name;
    EXPECT_EQ(folder->readHead(name, 4), std::nullopt) << name;
  }
  EXPECT_TRUE(fs::exists(dir / "target"));
  EXPECT_TRUE(folder->removeOwnFile("kept"));
  EXPECT_FALSE(fs::exists(dir / "base/a/b/kept"));
}

TEST(PrivateFolder, RefusesFoldersOthersCouldChangeOrThatALinkStandsIn) {
  TempDir dir;
  const struct {
    const char* what;
    std::function<void()> plant;
    const char* reason;
  } cases[] = {
      {"a folder below that is a link",
       [&] {
         fs::create_directories(dir / "base/elsewhere");
         fs::create_directory_symlink(dir / "base/elsewhere", dir / "base/a");
       },
       "/base/a: not a folder"},
      {"a folder below anyone may write",
       [&] {
         fs::create_directories(dir / "base/a");
         fs::permissions(dir / "base/a", fs::perms::all);
       },
       "/base/a: belongs to another user or may be written by others"},
      {"a base anyone may write, without the sticky bit",
       [&] {
         fs::create_directories(dir / "base");
         fs::permissions(dir / "base", fs::perms::all);
       },
       "/base: may be written by other users"},
      {"a missing base in a parent that is not this user's", [&] { fs::create_directories(dir / "x"); },
       "/x/base: missing"},
      {"a relative base", [] {}, ": not an absolute path"},
  };
  for (const auto& c : cases) {
    fs::remove_all(dir / "base");
    c.plant();
    std::string base = std::string(c.what).find("relative") != std::string::npos ? "relative/base" : dir / "base";
    if (std::string(c.what).find("parent") != std::string::npos) {
      if (geteuid() != 0) continue;  // giving a folder away needs root
      ASSERT_EQ(chown((dir / "x").c_str(), 65534, 65534), 0);
      base = dir / "x/base";
    }
    std::string why;
    EXPECT_FALSE(PrivateFolder::open(base, {"a"}, &why)) << c.what;
    EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
  }
  // A shared base with the sticky bit, as /tmp is, is fine.
  fs::remove_all(dir / "base");
  fs::create_directories(dir / "base");
  fs::permissions(dir / "base", fs::perms::all | fs::perms::sticky_bit);
  std::string why;
  EXPECT_TRUE(PrivateFolder::open(dir / "base", {"a"}, &why)) << why;
}

TEST(PrivateFolder, NeverTakesALockThroughALink) {
  TempDir dir;
  std::string why;
  std::optional<PrivateFolder> folder = PrivateFolder::open(dir.path(), {"app"}, &why);
  ASSERT_TRUE(folder) << why;
  fs::create_symlink(dir / "planted", dir / "app/.lock");
  bool held = false;
  EXPECT_FALSE(folder->tryLock(".lock", &why, &held));
  EXPECT_FALSE(held);
  EXPECT_FALSE(fs::exists(dir / "planted"));

  fs::remove(dir / "app/.lock");
  std::optional<FileLock> lock = folder->tryLock(".lock", &why, &held);
  ASSERT_TRUE(lock) << why;
  EXPECT_FALSE(folder->tryLock(".lock", &why, &held));
  EXPECT_TRUE(held);
}

}  // namespace
}  // namespace kvx::platform
