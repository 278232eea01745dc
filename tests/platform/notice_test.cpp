#include "platform/notice.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/program.h"
#include "test_support/dialog_standin.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using test::ScopedEnv;

// A desktop session whose only dialog program is a stand-in in a fresh PATH.
class NoticeTest : public testing::Test {
 protected:
  test::TempDir bin_;
  ScopedEnv path_{"PATH", bin_.path()};
  ScopedEnv display_{"DISPLAY", ":99"};
  ScopedEnv wayland_{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(NoticeTest, StartsTheFirstDialogProgramWithTheHeaderAndTheText) {
  const struct {
    const char* program;
    std::optional<std::string> header;
    std::string expected;
  } cases[] = {
      {"zenity", "Foo", "--error\n--no-markup\n--title\nFoo\n--text\nNo <b>Java</b> & more\n"},
      {"zenity", std::nullopt, "--error\n--no-markup\n--text\nNo <b>Java</b> & more\n"},
      {"kdialog", "Foo", "--title\nFoo\n--error\nNo <b>Java</b> & more\n"},
      {"xmessage", "Foo", "-center\n-title\nFoo\nNo <b>Java</b> & more\n"},
  };
  for (const auto& c : cases) {
    test::TempDir bin;
    ScopedEnv path("PATH", "/nonexistent::" + bin.path());
    std::string record = test::writeDialogStandin(bin.path(), c.program);
    testing::internal::CaptureStderr();
    displayNotice(c.header, "No <b>Java</b> & more");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(test::waitForFile(record), c.expected) << c.program;
  }
}

TEST_F(NoticeTest, PrefersZenityOverTheOthers) {
  std::string zenity = test::writeDialogStandin(bin_.path(), "zenity");
  std::string xmessage = test::writeDialogStandin(bin_.path(), "xmessage");
  displayNotice("Foo", "text");
  EXPECT_NE(test::waitForFile(zenity), "<missing>");
  EXPECT_EQ(test::readFileOrMissing(xmessage), "<missing>");
}

TEST_F(NoticeTest, WithoutADialogTheHeaderAndTextGoToStandardError) {
  const struct {
    std::optional<std::string> display, wayland;
    const char* programOnPath;
  } sessions[] = {
      {std::nullopt, std::nullopt, "zenity"},  // no graphical session
      {":99", std::nullopt, nullptr},          // no dialog program
      {std::nullopt, "wayland-0", "xmessage"}, // xmessage needs X
  };
  for (const auto& s : sessions) {
    test::TempDir bin;
    ScopedEnv path("PATH", bin.path());
    ScopedEnv display("DISPLAY", s.display);
    ScopedEnv wayland("WAYLAND_DISPLAY", s.wayland);
    if (s.programOnPath) test::writeDialogStandin(bin.path(), s.programOnPath);
    testing::internal::CaptureStderr();
    displayNotice("Foo", "Java 17 or later is needed.");
    displayNotice(std::nullopt, "no header");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Foo: Java 17 or later is needed.\nno header\n");
  }
}

TEST_F(NoticeTest, ADialogProgramThatCannotStartIsSkipped) {
  // Found on PATH but not executable as a program: kdialog takes over.
  test::writeFile(bin_ / "zenity", "");
  chmod((bin_ / "zenity").c_str(), 0755);
  std::string kdialog = test::writeDialogStandin(bin_.path(), "kdialog");
  displayNotice("Foo", "text");
  EXPECT_EQ(test::waitForFile(kdialog), "--title\nFoo\n--error\ntext\n");
}

// The current directory may be anyone's: an empty or relative PATH element
// never supplies the dialog program.
TEST_F(NoticeTest, ADialogProgramIsNeverTakenFromARelativePathElement) {
  ScopedEnv display("DISPLAY", ":99");
  test::TempDir work;
  std::string planted = test::writeDialogStandin(work.path(), "zenity");
  const std::string start = std::filesystem::current_path();
  std::filesystem::current_path(work.path());
  for (const char* path : {":", ".", "./", "bin-that-is-relative:"}) {
    ScopedEnv relative("PATH", path);
    testing::internal::CaptureStderr();
    displayNotice("Foo", "text");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Foo: text\n") << path;
  }
  std::filesystem::current_path(start);
  EXPECT_FALSE(std::filesystem::exists(planted)) << "the planted program ran";
}

// A dialog program that cannot open its display ends at once with an error:
// the text must not be lost with it. One that stays up counts as shown.
TEST_F(NoticeTest, ADialogThatFailsAtOnceFallsBackToStandardError) {
  ScopedEnv display("DISPLAY", ":99");
  const struct {
    const char* zenityScript;
    const char* err;
  } cases[] = {
      {"#!/bin/sh\necho 'cannot open display' >&2\nexit 1\n", "Foo: text\n"},
      {"#!/bin/sh\nkill -TERM $$\n", "Foo: text\n"},
      {"#!/bin/sh\n/bin/sleep 3\n", ""},
  };
  for (const auto& c : cases) {
    test::writeFile(bin_ / "zenity", c.zenityScript);
    chmod((bin_ / "zenity").c_str(), 0755);
    testing::internal::CaptureStderr();
    displayNotice("Foo", "text");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err) << c.zenityScript;
  }
}

}  // namespace
}  // namespace kvx::platform
