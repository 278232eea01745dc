#include "platform/main_bundle.h"
#include "platform/executable_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using test::writeFile;

const char* const kXmlInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleName</key><string>Foo</string></dict></plist>)";

TEST(MainBundle, TheExecutableInContentsMacOSBelongsToTheBundle) {
  test::TempDir dir;
  writeFile(dir / "Foo.app/Contents/Info.plist", kXmlInfo);
  MainBundle bundle = mainBundleForExecutable(dir / "Foo.app/Contents/MacOS/Foo");
  EXPECT_EQ(bundle.path, dir / "Foo.app");
  ASSERT_TRUE(bundle.infoDictionary);
  ASSERT_NE(bundle.infoDictionary->get("CFBundleName"), nullptr);
  EXPECT_EQ(bundle.infoDictionary->get("CFBundleName")->str(), "Foo");
  EXPECT_EQ(bundle.infoDictionaryError, "");
}

TEST(MainBundle, ReadsABinaryInfoPlist) {
  test::TempDir dir;
  std::string info = dir / "Bar.app/Contents/Info.plist";
  writeFile(info, "");
  std::string command = "python3 -c \"import plistlib,sys; sys.stdout.buffer.write(plistlib.dumps("
                        "{'CFBundleName': 'Bar', 'JavaVM': {'MainClass': 'a.B'}}, "
                        "fmt=plistlib.FMT_BINARY))\" > " + info;
  ASSERT_EQ(std::system(command.c_str()), 0);
  MainBundle bundle = mainBundleForExecutable(dir / "Bar.app/Contents/MacOS/Bar");
  ASSERT_TRUE(bundle.infoDictionary) << bundle.infoDictionaryError;
  EXPECT_EQ(bundle.infoDictionary->get("CFBundleName")->str(), "Bar");
}

TEST(MainBundle, AnyOtherExecutableBelongsToItsDirectory) {
  const struct {
    const char* executable;
    const char* bundle;
  } cases[] = {
      {"/opt/foo/bin/foo", "/opt/foo/bin"},
      {"/x/MacOS/foo", "/x/MacOS"},
      {"/x/Contents/bin/foo", "/x/Contents/bin"},
  };
  for (const auto& c : cases) {
    MainBundle bundle = mainBundleForExecutable(c.executable);
    EXPECT_EQ(bundle.path, c.bundle);
    EXPECT_FALSE(bundle.infoDictionary) << c.executable;
  }
}

// Such a path would put the bundle wherever the current directory happens to be.
TEST(MainBundle, APathThatIsNotAbsoluteBelongsToNoBundle) {
  test::TempDir dir;
  writeFile(dir / "Foo.app/Contents/Info.plist", kXmlInfo);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  for (const char* executable : {"Foo.app/Contents/MacOS/Foo", "foo", ""}) {
    MainBundle bundle = mainBundleForExecutable(executable);
    EXPECT_EQ(bundle.path, "") << executable;
    EXPECT_EQ(bundle.infoDictionaryPath, "") << executable;
    EXPECT_FALSE(bundle.infoDictionary) << executable;
  }
  std::filesystem::current_path(previous);
}

TEST(MainBundle, AMissingOrBrokenInfoPlistGivesNoDictionary) {
  test::TempDir dir;
  MainBundle missing = mainBundleForExecutable(dir / "Foo.app/Contents/MacOS/Foo");
  EXPECT_FALSE(missing.infoDictionary);
  EXPECT_EQ(missing.infoDictionaryError, "");

  writeFile(dir / "Foo.app/Contents/Info.plist", "<plist><dict><key>x</key>");
  MainBundle broken = mainBundleForExecutable(dir / "Foo.app/Contents/MacOS/Foo");
  EXPECT_FALSE(broken.infoDictionary);
  EXPECT_TRUE(broken.infoDictionaryError.starts_with(dir / "Foo.app/Contents/Info.plist: "))
      << broken.infoDictionaryError;

  writeFile(dir / "Foo.app/Contents/Info.plist", "<plist><array/></plist>");
  EXPECT_EQ(mainBundleForExecutable(dir / "Foo.app/Contents/MacOS/Foo").infoDictionaryError,
            dir / "Foo.app/Contents/Info.plist: the root is not a dictionary");
}

TEST(MainBundle, TheRunningProcessBelongsToItsOwnDirectory) {
  // The test program is not inside a bundle: its directory is the build tree.
  const MainBundle own = mainBundleForExecutable(executablePath().value_or(""));
  EXPECT_EQ(own.path, std::filesystem::canonical(KVX_BUILD_DIR).string());
  EXPECT_FALSE(own.infoDictionary);
}

}  // namespace
}  // namespace kvx::platform
