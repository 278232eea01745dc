#include "params/options_pass.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/scoped_trace.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

using test::TempDir;
using test::writeFile;

// The texts a pass handed out for path, in order; empty when it skipped it.
std::vector<std::string> readAll(OptionsPass& pass, const std::string& path, int times = 1) {
  std::vector<std::string> texts;
  for (int i = 0; i < times; ++i) {
    pass.read(path, [&](const std::string& text) { texts.push_back(text); });
  }
  return texts;
}

TEST(OptionsPass, EachFileIsReadFromDiskOncePerPass) {
  TempDir dir;
  writeFile(dir / "a.vmoptions", "-Da=1\n");
  OptionsPass pass;
  EXPECT_EQ(readAll(pass, dir / "a.vmoptions"), (std::vector<std::string>{"-Da=1\n"}));
  std::filesystem::remove(dir / "a.vmoptions");
  // Gone from the disk, still known to the pass, also under another name.
  EXPECT_EQ(readAll(pass, dir / "a.vmoptions", 2), (std::vector<std::string>(2, "-Da=1\n")));

  writeFile(dir / "b.vmoptions", "-Db=1\n");
  std::filesystem::create_symlink(dir / "b.vmoptions", dir / "link.vmoptions");
  readAll(pass, dir / "b.vmoptions");
  writeFile(dir / "b.vmoptions", "-Db=2\n");
  EXPECT_EQ(readAll(pass, dir / "link.vmoptions"), (std::vector<std::string>{"-Db=1\n"}));

  OptionsPass next;
  EXPECT_EQ(readAll(next, dir / "link.vmoptions"), (std::vector<std::string>{"-Db=2\n"}));
}

// Only regular files are read, and nothing waits: the trace says why each
// other kind was skipped.
TEST(OptionsPass, WhatIsNoRegularFileIsSkippedWithItsReason) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  writeFile(dir / "latin1", "-Dname=caf\xE9\n");
  const struct {
    std::string path;
    std::string trace;
  } cases[] = {
      {"/dev/zero", "options file /dev/zero cannot be read: is not a regular file"},
      {dir / "fifo", "options file " + dir / "fifo cannot be read: is not a regular file"},
      {dir.path(), "options file " + dir.path() + " cannot be read: is a directory"},
      {dir / "missing", "no options file at " + dir / "missing"},
      {dir / "latin1", "options file " + dir / "latin1 is not valid UTF-8, ignored"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    test::ScopedTrace on(true);
    testing::internal::CaptureStderr();
    OptionsPass pass;
    std::vector<std::string> texts = readAll(pass, c.path, 2);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(texts.empty());
    EXPECT_NE(log.find(c.trace + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("options file " + c.path + " skipped as before in this pass"), std::string::npos) << log;
  }
}

TEST(OptionsPass, AFileIsNotEnteredWhileItIsBeingRead) {
  TempDir dir;
  writeFile(dir / "a", "a");
  OptionsPass pass;
  std::vector<std::string> inner;
  pass.read(dir / "a", [&](const std::string&) { inner = readAll(pass, dir / "./a"); });
  EXPECT_TRUE(inner.empty());
  EXPECT_EQ(readAll(pass, dir / "a").size(), 1u) << "once it has been read, it may be read again";
}

TEST(OptionsPass, TextPastTheBudgetIsSkippedAndTraced) {
  TempDir dir;
  writeFile(dir / "forty", std::string(39, '#') + "\n");
  writeFile(dir / "ten", std::string(9, '#') + "\n");
  OptionsPass pass(100);
  test::ScopedTrace on(true);
  testing::internal::CaptureStderr();
  // Each time a file is read counts, from memory as well as from the disk.
  EXPECT_EQ(readAll(pass, dir / "forty", 3).size(), 2u);
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("option file " + dir / "forty skipped: the options files of this pass would exceed 100 "
                     "bytes in all, a file counting each time it is included\n"),
            std::string::npos)
      << log;
  // What is left still takes a smaller file, up to the last byte.
  EXPECT_EQ(readAll(pass, dir / "ten", 3).size(), 2u);
}

}  // namespace
}  // namespace kvx
