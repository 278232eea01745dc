#include "platform/paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using test::ScopedEnv;

struct PathCase {
  std::string input;
  std::string expected;
};

TEST(StandardizePath, FoldsAndRemovesExactlyAsTheRulesSay) {
  ScopedEnv home("HOME", "/home/tester");
  const PathCase cases[] = {
      {"/Applications/Foo.app/Contents/Resources/app/bin/../", "/Applications/Foo.app/Contents/Resources/app"},
      {"/a/./b//c/", "/a/b/c"},
      {"/a/b/../../..", "/"},
      {"/../a", "/a"},
      {"/", "/"},
      {"", ""},
      // Relative paths keep their "..": there is nothing to fold them against.
      {"a/../b", "a/../b"},
      {"./a/./b/", "a/b"},
      {"../x", "../x"},
      {"~", "/home/tester"},
      {"~/lib/../jre/", "/home/tester/jre"},
      // A leading "~name" is that user's home; an unknown user stays as written.
      {"~root/x/../y", "/root/y"},
      {"~no-such-user-here/x", "~no-such-user-here/x"},
      {"/a/~/b", "/a/~/b"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(standardizePath(c.input), c.expected) << c.input;
}

TEST(JoinPath, PutsExactlyOneSlashBetweenTheParts) {
  const struct {
    std::string base, component, expected;
  } cases[] = {
      {"/Applications", "Foo.app", "/Applications/Foo.app"},
      {"/a/", "b", "/a/b"},
      {"/a", "/b", "/a/b"},
      {"/a//", "//b/c", "/a/b/c"},
      {"/", "b", "/b"},
      {"/a", "", "/a"},
      {"", "b", "b"},
      {"/a", "../b", "/a/../b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(joinPath(c.base, c.component), c.expected) << c.base << " + " << c.component;
  }
}

TEST(PathComponents, SplitAtTheLastSlash) {
  EXPECT_EQ(deletingLastPathComponent("/Applications/Foo.app"), "/Applications");
  EXPECT_EQ(deletingLastPathComponent("/Applications/Foo.app/"), "/Applications");
  EXPECT_EQ(deletingLastPathComponent("/Foo.app"), "/");
  EXPECT_EQ(deletingLastPathComponent("Foo.app"), "");
  EXPECT_EQ(lastPathComponent("/opt/foo/bin/"), "bin");
  EXPECT_EQ(lastPathComponent("/"), "/");
}

// A relative path keeps naming the same file once the directory has
// changed: joined to the directory it was relative to, ".." left for the
// file system to follow.
TEST(AbsolutePath, AnchorsARelativePathToTheCurrentDirectory) {
  test::TempDir dir;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const std::string cwd = std::filesystem::current_path().string();
  const PathCase cases[] = {
      {"/opt/../jdk/", "/opt/../jdk/"}, {"rt", cwd + "/rt"},          {"./rt/", cwd + "/rt"},
      {"a//b/./c", cwd + "/a/b/c"},     {"../rt", cwd + "/../rt"},    {".", cwd},
      {"~/jdk", cwd + "/~/jdk"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(absolutePath(c.input), c.expected) << c.input;
  // An empty path names nothing, not the current directory.
  EXPECT_EQ(absolutePath(""), std::nullopt);
  // A directory removed under the process no longer has a path.
  std::filesystem::create_directory(dir / "gone");
  std::filesystem::current_path(dir / "gone");
  std::filesystem::remove(dir / "gone");
  EXPECT_EQ(absolutePath("rt"), std::nullopt);
  EXPECT_EQ(absolutePath("/rt"), "/rt");
  std::filesystem::current_path(previous);
}

TEST(StandardLocations, ComeFromTheEnvironmentFirst) {
  {
    ScopedEnv tmp("TMPDIR", "/var/tmp/kvx");
    ScopedEnv home("HOME", "/home/tester/");
    // The temporary directory is used as given; the home loses its trailing "/".
    EXPECT_EQ(temporaryDirectory(), "/var/tmp/kvx");
    EXPECT_EQ(homeDirectory(), "/home/tester");
  }
  ScopedEnv tmp("TMPDIR", std::nullopt);
  ScopedEnv home("HOME", std::nullopt);
  EXPECT_EQ(temporaryDirectory(), "/tmp/");
  const struct passwd* pw = getpwuid(getuid());
  ASSERT_NE(pw, nullptr);
  EXPECT_EQ(homeDirectory(), standardizePath(pw->pw_dir));
}

}  // namespace
}  // namespace kvx::platform
