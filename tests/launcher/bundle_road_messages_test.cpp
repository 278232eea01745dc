// The built launcher inside an application bundle that finds no runtime: the
// message reaches the user through the bundle road's own wiring.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "test_support/dialog_standin.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

namespace fs = std::filesystem;

const char* const kInfoPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>CFBundleName</key><string>Foo Viewer</string>
  <key>JavaVM</key><dict><key>MainClass</key><string>a.B</string></dict>
  <key>kvx.minVersion</key><string>99</string>
  <key>SearchSequence</key><array><string>/nonexistent</string></array>
</dict></plist>)";

class BundleRoadMessagesTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "Foo.app/Contents/MacOS");
    fs::create_directories(dir_ / "Foo.app/Contents/Resources/app/.kestrovel");
    fs::create_directories(dir_ / "bin");
    fs::copy_file(KVX_BUILD_DIR "/kvx-launcher", launcher_);
    test::writeFile(dir_ / "Foo.app/Contents/Info.plist", kInfoPlist);
    fs::copy(KVX_SOURCE_DIR "/tests/fixtures/Messages.bundle",
             dir_ / "Foo.app/Contents/Resources/app/.kestrovel/Messages.bundle",
             fs::copy_options::recursive);
  }

  test::ProgramResult run(std::vector<std::pair<std::string, std::optional<std::string>>> env) {
    env.insert(env.end(), {{"PATH", dir_ / "bin"}, {"LANG", "en_US.UTF-8"}, {"LANGUAGE", std::nullopt},
                           {"LC_ALL", std::nullopt}, {"LC_MESSAGES", std::nullopt},
                           {"KESTROVEL_LOG", std::nullopt}});
    return test::runProgram(launcher_, {}, {.argv0 = std::nullopt, .env = env});
  }

  test::TempDir dir_;
  std::string launcher_ = dir_ / "Foo.app/Contents/MacOS/Foo";
};

const char* const kText = "Java 99 or later is needed to run Foo Viewer. Please install it and "
                          "start the application again.";

TEST_F(BundleRoadMessagesTest, ShowsTheNoticeThroughTheDialogProgram) {
  std::string record = test::writeDialogStandin(dir_ / "bin", "zenity");
  test::ProgramResult result = run({{"DISPLAY", ":99"}, {"WAYLAND_DISPLAY", std::nullopt}});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(test::waitForFile(record),
            std::string("--error\n--no-markup\n--title\nFoo Viewer\n--text\n") + kText + "\n");
}

TEST_F(BundleRoadMessagesTest, WithoutAGraphicalSessionWritesTheNoticeToStandardError) {
  test::ProgramResult result = run({{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, std::string("Foo Viewer: ") + kText + "\n");
  EXPECT_EQ(result.out, "");
}


}  // namespace
}  // namespace kvx
