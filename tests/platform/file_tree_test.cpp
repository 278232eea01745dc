#include "platform/file_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_creation.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

namespace fs = std::filesystem;
using test::readFileOrMissing;
using test::TempDir;
using test::writeFile;

uint32_t modeOf(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A tree with every kind of link the copy must tell apart, and an outside
// directory that some of them lead to.
struct LinkedTree {
  TempDir dir;
  std::string source = dir / "source";
  LinkedTree() {
    writeFile(source + "/bin/tool", "#!/bin/sh\n");
    chmod((source + "/bin/tool").c_str(), 0750);
    writeFile(source + "/lib/readonly", "r");
    chmod((source + "/lib/readonly").c_str(), 0444);
    writeFile(dir / "outside/shared/notice", "outside");
    fs::create_symlink("../bin/tool", source + "/lib/tool-link");       // stays inside
    fs::create_symlink("../../outside/shared", source + "/lib/shared");  // climbs out
    fs::create_symlink(source + "/lib/readonly", source + "/absolute");  // absolute
  }
};

TEST(CopyTree, KeepsLinksInsideTheTreeAndCopiesWhatOthersName) {
  LinkedTree tree;
  std::string copy = tree.dir / "copy";
  std::string error;
  ASSERT_TRUE(copyTree(tree.source, copy, &error)) << error;

  EXPECT_EQ(fs::read_symlink(copy + "/lib/tool-link"), "../bin/tool");
  EXPECT_TRUE(fs::is_directory(fs::symlink_status(copy + "/lib/shared")));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(copy + "/absolute")));
  EXPECT_EQ(modeOf(copy + "/bin/tool"), 0750u);
  EXPECT_EQ(modeOf(copy + "/lib/readonly"), 0444u);

  // Nothing in the copy still leans on the source or the outside directory.
  fs::rename(copy, tree.dir / "moved");
  fs::remove_all(tree.source);
  fs::remove_all(tree.dir / "outside");
  EXPECT_EQ(readFileOrMissing(tree.dir / "moved/lib/tool-link"), "#!/bin/sh\n");
  EXPECT_EQ(readFileOrMissing(tree.dir / "moved/lib/shared/notice"), "outside");
  EXPECT_EQ(readFileOrMissing(tree.dir / "moved/absolute"), "r");
}

TEST(CopyTree, RefusesWhatCannotBeCopiedNamingTheFile) {
  struct Case {
    const char* name;
    void (*arrange)(const std::string& source);
    const char* reason;
  };
  const Case cases[] = {
      {"dangling", [](const std::string& s) { fs::create_symlink("nothing-here", s + "/dangling"); },
       "a link to nothing"},
      {"loop", [](const std::string& s) { fs::create_symlink(s, s + "/loop"); },
       "a link leads back into a directory above it"},
      {"fifo", [](const std::string& s) { mkfifo((s + "/fifo").c_str(), 0600); },
       "not a file, a directory or a link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    writeFile(dir / "source/plain", "x");
    c.arrange(dir / "source");
    std::string error;
    EXPECT_FALSE(copyTree(dir / "source", dir / "copy", &error));
    EXPECT_EQ(error, dir / "source/" + c.name + ": " + c.reason);
    EXPECT_FALSE(listFilesInTree(dir / "source", &error)) << c.name;
  }
}

TEST(ListFilesInTree, GivesRegularFilesThroughLinksInByteOrder) {
  LinkedTree tree;
  std::string error;
  std::optional<std::vector<std::string>> files = listFilesInTree(tree.source, &error);
  ASSERT_TRUE(files) << error;
  EXPECT_EQ(*files, (std::vector<std::string>{"absolute", "bin/tool", "lib/readonly",
                                              "lib/shared/notice", "lib/tool-link"}));
}

TEST(RemoveTree, RemovesReadOnlyDirectoriesAndNeverFollowsLinks) {
  LinkedTree tree;
  chmod((tree.source + "/lib").c_str(), 0555);
  std::string error;
  ASSERT_TRUE(removeTree(tree.source, &error)) << error;
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree.source)));
  EXPECT_EQ(readFileOrMissing(tree.dir / "outside/shared/notice"), "outside");
  EXPECT_TRUE(removeTree(tree.source, &error)) << "nothing there is not an error";
}

TEST(FileCreation, RenameNeverReplacesEvenAnEmptyDirectory) {
  TempDir dir;
  writeFile(dir / "from/file", "x");
  fs::create_directory(dir / "taken");
  std::string error;
  EXPECT_FALSE(renameWithoutReplacing(dir / "from", dir / "taken", &error));
  EXPECT_EQ(error, dir / "taken: cannot be made: File exists");
  EXPECT_TRUE(fs::exists(dir / "from/file"));
  EXPECT_TRUE(renameWithoutReplacing(dir / "from", dir / "free", &error)) << error;
  EXPECT_EQ(readFileOrMissing(dir / "free/file"), "x");
}

TEST(FileCreation, DirectoriesComeWithWhatWasMadeAndTheUmasksPermissions) {
  TempDir dir;
  mode_t old = umask(027);
  std::string error;
  std::optional<std::vector<std::string>> made = createDirectories(dir / "a/b/c", &error);
  std::optional<FilePlace> unique = createUniqueDirectory(dir / "a", ".stage-", &error);
  umask(old);
  ASSERT_TRUE(made) << error;
  EXPECT_EQ(*made, (std::vector<std::string>{dir / "a", dir / "a/b", dir / "a/b/c"}));
  EXPECT_EQ(createDirectories(dir / "a/b", &error).value_or(std::vector<std::string>{"?"}),
            std::vector<std::string>{});
  ASSERT_TRUE(unique) << error;
  EXPECT_EQ(fs::path(unique->shown()).filename().string().substr(0, 7), ".stage-");
  EXPECT_EQ(modeOf(unique->shown()), 0750u);
}

TEST(FilePlaces, WorkThroughAHandleReachesTheDirectoryOpenedWhenItsNameLeadsElsewhere) {
  TempDir dir;
  fs::create_directories(dir / "first");
  fs::create_directories(dir / "second");
  writeFile(dir / "tree/file", "x");
  fs::create_symlink("first", dir / "dest");
  std::string error;
  std::optional<DirectoryHandle> dest = DirectoryHandle::open(dir / "dest", &error);
  ASSERT_TRUE(dest) << error;
  fs::remove(dir / "dest");
  fs::create_symlink("second", dir / "dest");

  FilePlace stage(*dest, "stage");
  EXPECT_TRUE(createDirectories(stage.child("a/b"), &error)) << error;
  EXPECT_TRUE(writeNewFile(stage.child("a/b/new"), "y", 0644, &error)) << error;
  EXPECT_TRUE(copyNewFile(dir / "tree/file", stage.child("copied"), &error)) << error;
  EXPECT_TRUE(createSymbolicLink("copied", stage.child("link"), &error)) << error;
  EXPECT_TRUE(copyTree(dir / "tree", stage.child("tree"), &error)) << error;
  EXPECT_TRUE(renameWithoutReplacing(stage, FilePlace(*dest, "done"), &error)) << error;
  EXPECT_EQ(readFileOrMissing(dir / "first/done/a/b/new"), "y");
  EXPECT_EQ(readFileOrMissing(dir / "first/done/link"), "x");
  EXPECT_EQ(readFileOrMissing(dir / "first/done/tree/file"), "x");
  EXPECT_TRUE(fs::is_empty(dir / "second"));
  // Messages name the place by the path the handle was opened by.
  EXPECT_FALSE(writeNewFile(FilePlace(*dest, "done/copied"), "z", 0644, &error));
  EXPECT_EQ(error, dir / "dest/done/copied: cannot be written: File exists");

  EXPECT_TRUE(removeTree(FilePlace(*dest, "done"), &error)) << error;
  EXPECT_TRUE(fs::is_empty(dir / "first"));
}

TEST(FileTree, ACopyMayLeaveOutLinksToNothingAndSaysWhich) {
  TempDir dir;
  writeFile(dir / "from/lib/kept", "x");
  fs::create_symlink("../../nowhere", dir / "from/lib/src.zip");
  std::string error;
  EXPECT_FALSE(copyTree(dir / "from", dir / "strict", &error));
  EXPECT_EQ(error, dir / "from/lib/src.zip: a link to nothing");
  std::vector<std::string> skipped;
  ASSERT_TRUE(copyTree(dir / "from", dir / "lenient", &error, {nullptr, &skipped})) << error;
  EXPECT_EQ(skipped, std::vector<std::string>{"lib/src.zip"});
  EXPECT_EQ(readFileOrMissing(dir / "lenient/lib/kept"), "x");
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "lenient/lib/src.zip")));
}

TEST(FileTree, FindsTheWayATreeLeadsIntoADirectory) {
  TempDir dir;
  fs::create_directories(dir / "input/sub");
  fs::create_directories(dir / "out/dest");
  fs::create_directories(dir / "elsewhere");
  fs::create_symlink(dir / "out", dir / "input/sub/up");
  EXPECT_EQ(pathIntoDirectory(dir / "input", dir / "out/dest"), "sub/up/dest");
  EXPECT_EQ(pathIntoDirectory(dir / "input", dir / "out"), "sub/up");
  EXPECT_EQ(pathIntoDirectory(dir / "input", dir / "elsewhere"), std::nullopt);
  EXPECT_EQ(pathIntoDirectory(dir / "input", dir / "missing"), std::nullopt);
}

}  // namespace
}  // namespace kvx::platform
