#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "params/java_parameters.h"
#include "test_support/scoped_trace.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

using test::ScopedEnv;
using test::TempDir;

// dir followed by the archive names of its listing, in the order the
// file system lists them, each behind dir as written.
std::string archivesIn(const std::string& listed, const std::string& dir) {
  const std::set<std::string> archives = {"x.jar", "y.zip", "lib.jar"};
  std::string joined;
  for (const auto& entry : std::filesystem::directory_iterator(listed)) {
    std::string name = entry.path().filename().string();
    if (!archives.contains(name)) continue;
    if (!joined.empty()) joined += ':';
    joined += dir + name;
  }
  return joined;
}

TEST(ClassPath, ResolvesEntries) {
  TempDir tmp;
  const std::string wild = tmp / "wild";
  for (const char* name : {"x.jar", "y.zip", "z.JAR", "readme.txt", "x.jar.txt"}) {
    test::writeFile(wild + "/" + name, "");
  }
  std::filesystem::create_directories(wild + "/lib.jar");
  std::filesystem::create_directories(tmp / "empty");
  const std::string missing = tmp / "missing";
  const std::string archives = archivesIn(wild, wild + "/");

  ScopedEnv list("KVX_TEST_CP_LIST", "/e1:/e2");
  ScopedEnv empty("KVX_TEST_CP_EMPTY", "");
  ScopedEnv wildcard("KVX_TEST_CP_WILD", wild + "/*");
  ScopedEnv unset("KVX_TEST_CP_UNSET", std::nullopt);

  struct Case {
    OptString input;
    OptString expected;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt},
      {"", ""},
      {"a::b", "a::b"},
      {":a", ":a"},
      {"a:", "a:"},
      {"$KVX_TEST_CP_UNSET", std::nullopt},
      {"$KVX_TEST_CP_UNSET:b", "b"},
      {"$KVX_TEST_CP_LIST", "/e1:/e2"},
      {"a:$KVX_TEST_CP_LIST:b", "a:/e1:/e2:b"},
      {"$KVX_TEST_CP_LIST/lib", std::nullopt},  // the whole rest names the variable
      {"$KVX_TEST_CP_EMPTY", ""},
      {"$KVX_TEST_CP_EMPTY:b", ":b"},
      {"$KVX_TEST_CP_WILD", wild + "/*"},  // a variable's value is not resolved again
      {"x/$KVX_TEST_CP_LIST", "x/$KVX_TEST_CP_LIST"},
      {wild + "/*", archives},
      {"a:" + wild + "/*:b", "a:" + archives + ":b"},
      {wild + "//*", archivesIn(wild, wild + "//")},
      {missing + "/*", std::nullopt},
      {tmp / "empty/*", std::nullopt},
      {"a:" + missing + "/*:" + tmp / "empty/*", "a"},
      {missing + "/*:b", "b"},
      {wild + "/readme.txt/*", std::nullopt},  // not a directory
      {"*", "*"},
      {wild + "/*.jar", wild + "/*.jar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.value_or("(absent)"));
    EXPECT_EQ(JavaParameters::resolveArtifactPath(c.input), c.expected);
  }
  EXPECT_EQ(std::count(archives.begin(), archives.end(), ':'), 2);
}

// An entry that gives nothing is easy to miss: the trace names it.
TEST(ClassPath, EntriesThatGiveNothingAreTraced) {
  TempDir dir;
  std::filesystem::create_directories(dir / "empty");
  test::writeFile(dir / "there.jar", "");
  test::ScopedTrace trace(true);
  testing::internal::CaptureStderr();
  JavaParameters::resolveArtifactPath(dir / "there.jar:" + dir / "typo.jar:" + dir / "empty/*:" + dir / "gone/*");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("] class path entry " + dir / "typo.jar does not exist\n"), std::string::npos) << err;
  EXPECT_EQ(err.find("there.jar does not exist"), std::string::npos) << err;
  EXPECT_NE(err.find("] no archives in " + dir / "empty/\n"), std::string::npos) << err;
  EXPECT_NE(err.find("] class path directory " + dir / "gone/ cannot be listed\n"), std::string::npos) << err;
}

}  // namespace
}  // namespace kvx
