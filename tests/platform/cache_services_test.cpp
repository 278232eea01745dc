// The services the startup cache relies on: a lock that only one holder gets,
// a worker that waits for its starter's end, and directory paths made whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/after_exit_worker.h"
#include "platform/file_creation.h"
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
  EXPECT_EQ(error, dir / "missing/lock" + ": cannot be opened: No such file or directory");
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
  EXPECT_EQ(error, dir / "missing/lock" + ": cannot be opened: No such file or directory");
}

// A starter process, whose standard output is a pipe to us, starts a worker
// and ends; the worker records what it found when its work began.
pid_t startStarterWithWorker(const std::string& dir, int* output) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  fflush(nullptr);  // the child's exit must not write our buffered output again
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    std::string why;
    bool started = startAfterExitWorker(
        [dir] {
          std::string seen = std::filesystem::exists(dir + "/starter-ended") ? "after" : "before";
          seen += getsid(0) == getpid() ? " own-session" : " caller-session";
          seen += write(1, "x", 1) == 1 ? " stdout-writable" : "";
          test::writeFile(dir + "/worker-saw", seen);
        },
        {}, &why);
    if (!started) _exit(3);
    usleep(200 * 1000);
    test::writeFile(dir + "/starter-ended", "");
    _exit(0);
  }
  close(fds[1]);
  *output = fds[0];
  return pid;
}

TEST(AfterExitWorker, WorksOnlyOnceItsStarterEndedAndHoldsNothingOfTheCallers) {
  TempDir dir;
  int output = -1;
  pid_t starter = startStarterWithWorker(dir.path(), &output);
  ASSERT_GT(starter, 0);
  // The caller's pipe reaches its end with the starter: the worker kept no copy.
  char byte;
  EXPECT_EQ(read(output, &byte, 1), 0);
  close(output);
  int status = 0;
  waitpid(starter, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  for (int i = 0; i < 500 && !std::filesystem::exists(dir / "worker-saw"); ++i) usleep(20 * 1000);
  EXPECT_EQ(test::readFileOrMissing(dir / "worker-saw"), "after own-session stdout-writable");
}

TEST(DirectoryPath, IsMadeWholeAndAFileInTheWayIsNamed) {
  TempDir dir;
  std::string error;
  EXPECT_TRUE(createDirectories(dir / "a/b/c", &error)) << error;
  EXPECT_TRUE(isDirectory(dir / "a/b/c"));
  EXPECT_TRUE(createDirectories(dir / "a/b/c", &error)) << "already there is as good";

  test::writeFile(dir / "file", "");
  EXPECT_FALSE(createDirectories(dir / "file/sub", &error));
  EXPECT_EQ(error, dir / "file: cannot be made: File exists");
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
  EXPECT_EQ(error, dir / "from" + ": cannot be renamed to " + dir / "again" + ": No such file or directory");

  EXPECT_TRUE(createNewFile(dir / "new", &error)) << error;
  EXPECT_FALSE(createNewFile(dir / "new", &error)) << "an existing file is not new";
  EXPECT_TRUE(removeFile(dir / "new"));
  EXPECT_FALSE(removeFile(dir / "new"));
  EXPECT_TRUE(fileStatus(dir.path())->isDirectory());
  EXPECT_TRUE(availableSpace(dir.path()));
}

}  // namespace
}  // namespace kvx::platform
