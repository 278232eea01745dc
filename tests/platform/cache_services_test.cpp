// The services the startup cache relies on: a lock that only one holder gets,
// work left for a normal exit and never done after a kill, and directory
// paths made whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/exit_hook.h"
#include "platform/file_lock.h"
#include "platform/file_status.h"
#include "platform/files.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using test::TempDir;

TEST(FileLock, OnlyOneHolderAtATimeAndFreedWithItsHolder) {
  TempDir dir;
  const std::string path = dir / "lock";
  std::string error;
  bool held = false;
  std::optional<FileLock> first = FileLock::tryExclusive(path, &error, &held);
  ASSERT_TRUE(first) << error;
  // A second taker, even in this process, is refused while the first holds it.
  EXPECT_FALSE(FileLock::tryExclusive(path, &error, &held));
  EXPECT_TRUE(held);
  EXPECT_NE(error.find("held by another process"), std::string::npos) << error;

  first.reset();
  EXPECT_TRUE(FileLock::tryExclusive(path, &error, &held)) << error;

  EXPECT_FALSE(FileLock::tryExclusive(dir / "missing/lock", &error, &held));
  EXPECT_FALSE(held);
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

TEST(FileLock, AWaitingTakerGetsAFreeLockAtOnceAndHoldsItLikeAnyOther) {
  TempDir dir;
  const std::string path = dir / "lock";
  std::string error;
  bool waited = true;
  std::optional<FileLock> lock = FileLock::waitExclusive(path, &error, &waited);
  ASSERT_TRUE(lock) << error;
  EXPECT_FALSE(waited);
  bool held = false;
  EXPECT_FALSE(FileLock::tryExclusive(path, &error, &held));
  EXPECT_TRUE(held);

  EXPECT_FALSE(FileLock::waitExclusive(dir / "missing/lock", &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

void writeMarker(void* path) { test::writeFile(*static_cast<std::string*>(path), "ran"); }

// A child registers the hook, then ends as end() says; whether the hook ran.
template <typename End>
bool hookRanInChildThat(End end, const std::string& marker) {
  fflush(nullptr);  // the child's exit must not write our buffered output again
  pid_t pid = fork();
  if (pid == 0) {
    static std::string path;
    path = marker;
    if (!runAtExit(writeMarker, &path)) _exit(3);
    end();
    _exit(4);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return std::filesystem::exists(marker);
}

TEST(ExitHook, RunsWhenTheProcessExitsNormallyAndNeverWhenItIsKilled) {
  TempDir dir;
  EXPECT_TRUE(hookRanInChildThat([] { exit(0); }, dir / "after-exit"));
  EXPECT_TRUE(hookRanInChildThat([] { exit(7); }, dir / "after-exit-7"));
  EXPECT_FALSE(hookRanInChildThat([] { kill(getpid(), SIGKILL); }, dir / "after-kill"));
  EXPECT_FALSE(hookRanInChildThat([] { _exit(0); }, dir / "after-immediate-exit"));
}

TEST(DirectoryPath, IsMadeWholeAndAFileInTheWayIsNamed) {
  TempDir dir;
  std::string error;
  EXPECT_TRUE(createDirectoryPath(dir / "a/b/c", &error)) << error;
  EXPECT_TRUE(isDirectory(dir / "a/b/c"));
  EXPECT_TRUE(createDirectoryPath(dir / "a/b/c", &error)) << "already there is as good";

  test::writeFile(dir / "file", "");
  EXPECT_FALSE(createDirectoryPath(dir / "file/sub", &error));
  EXPECT_NE(error.find("file is not a directory"), std::string::npos) << error;
}

TEST(FileStatusAndRenames, StatusFollowsTheFileThroughARename) {
  TempDir dir;
  test::writeFile(dir / "from", "12345");
  std::optional<FileStatus> before = fileStatus(dir / "from");
  ASSERT_TRUE(before);
  EXPECT_TRUE(before->isRegular());
  EXPECT_EQ(before->size, 5u);
  std::string error;
  ASSERT_TRUE(renameFile(dir / "from", dir / "to", &error)) << error;
  std::optional<FileStatus> after = fileStatus(dir / "to");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->modifiedNanoseconds, before->modifiedNanoseconds);
  EXPECT_FALSE(fileStatus(dir / "from"));
  EXPECT_FALSE(renameFile(dir / "from", dir / "again", &error));
  EXPECT_NE(error.find("cannot rename"), std::string::npos);

  EXPECT_TRUE(createNewFile(dir / "new", &error)) << error;
  EXPECT_FALSE(createNewFile(dir / "new", &error)) << "an existing file is not new";
  EXPECT_TRUE(removeFile(dir / "new"));
  EXPECT_FALSE(removeFile(dir / "new"));
  EXPECT_TRUE(fileStatus(dir.path())->isDirectory());
  EXPECT_TRUE(availableSpace(dir.path()));
}

}  // namespace
}  // namespace kvx::platform
