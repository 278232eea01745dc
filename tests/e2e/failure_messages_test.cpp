// What a person reads when a start cannot succeed: the text, where it goes
// (a dialog, or standard error without a graphical session) and the status,
// through the built launcher.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/dialog_standin.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

const std::string kNoRuntime = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>CFBundleName</key><string>Foo Viewer</string>
  <key>kvx.minVersion</key><string>99</string>
  <key>JavaVM</key><dict>
    <key>MainClass</key><string>a.B</string>
    <key>SearchSequence</key><array><string>R/nonexistent</string></array>
  </dict>
</dict></plist>)";

struct FailureCase {
  const char* name;
  // The Info.plist's text, or nullopt for none; ignored for a bare stub.
  std::optional<std::string> info;
  bool messagesBundle;
  bool bareStub;
  // The whole line the person reads; "$DIR" stands for the test's directory.
  std::string line;
};

class FailureMessages : public ::testing::Test {
 protected:
  // Lays out the case and returns the launcher to start.
  std::string layOut(const FailureCase& c) {
    if (c.bareStub) {
      fs::create_directories(dir / "opt/bin");
      fs::copy_file(KVX_BUILD_DIR "/kvx-launcher", dir / "opt/bin/stub");
      return dir / "opt/bin/stub";
    }
    fs::create_directories(dir / "Foo.app/Contents/MacOS");
    fs::copy_file(KVX_BUILD_DIR "/kvx-launcher", dir / "Foo.app/Contents/MacOS/Foo");
    if (c.info) writeFile(dir / "Foo.app/Contents/Info.plist", *c.info);
    if (c.messagesBundle) {
      fs::create_directories(dir / "Foo.app/Contents/Resources/app/.kestrovel");
      fs::copy(KVX_SOURCE_DIR "/tests/fixtures/Messages.bundle",
               dir / "Foo.app/Contents/Resources/app/.kestrovel/Messages.bundle", fs::copy_options::recursive);
    }
    return dir / "Foo.app/Contents/MacOS/Foo";
  }

  // With ignoringSigchld, from a parent that made it ignore SIGCHLD.
  ProgramResult start(const std::string& launcher, std::optional<std::string> display,
                      bool ignoringSigchld = false) {
    RunOptions options;
    options.env = {{"PATH", dir / "bin"},         {"DISPLAY", display},        {"WAYLAND_DISPLAY", std::nullopt},
                   {"KESTROVEL_LOG", std::nullopt}, {"LANG", "en_US.UTF-8"},   {"LANGUAGE", std::nullopt},
                   {"LC_ALL", std::nullopt},        {"LC_MESSAGES", std::nullopt}};
    if (ignoringSigchld) return runProgram(KVX_BUILD_DIR "/ignoring-sigchld", {launcher}, options);
    return runProgram(launcher, {}, options);
  }

  std::string withDir(std::string text) const {
    for (size_t at; (at = text.find("$DIR")) != std::string::npos;) text.replace(at, 4, dir.path());
    return text;
  }

  TempDir dir;
};

const FailureCase kCases[] = {
    {"no messages bundle", kNoRuntime, false, false,
     "Foo Viewer: Java 99 or later is needed to run Foo Viewer. Please install it and start the "
     "application again."},
    {"a name that is not text", R"(<plist><dict><key>CFBundleName</key><integer>7</integer>
       <key>kvx.minVersion</key><string>99</string>
       <key>JavaVM</key><dict><key>SearchSequence</key><array><string>R/x</string></array></dict></dict></plist>)",
     true, false,
     "Foo: Java 99 or later is needed to run Foo. Please install it and start the application again."},
    {"no minimum version", R"(<plist><dict><key>CFBundleName</key><string>Foo Viewer</string>
       <key>JavaVM</key><dict><key>SearchSequence</key><array><string>R/x</string></array></dict></dict></plist>)",
     false, false,
     "Foo Viewer: Java is needed to run Foo Viewer, but no Java runtime was found. Please install it and "
     "start the application again."},
    {"truncated Info.plist", kNoRuntime.substr(0, 120), true, false,
     "Foo: The application could not be started because its configuration cannot be used: "
     "$DIR/Foo.app/Contents/Info.plist: XML property list: Start-end tags mismatch at line 3 (at offset 119)"},
    {"missing Info.plist", std::nullopt, true, false,
     "Foo: The application could not be started because its configuration cannot be used: "
     "$DIR/Foo.app/Contents/Info.plist: does not exist"},
    {"Info.plist that is no dictionary", "<plist><array/></plist>", true, false,
     "Foo: The application could not be started because its configuration cannot be used: "
     "$DIR/Foo.app/Contents/Info.plist: the root is not a dictionary"},
    {"a main class that is a number", R"(<plist><dict><key>CFBundleName</key><string>Foo Viewer</string>
       <key>JavaVM</key><dict><key>MainClass</key><integer>7</integer></dict></dict></plist>)",
     false, false,
     "Foo Viewer: The application could not be started because its configuration cannot be used: "
     "The value of \"MainClass\" is integer, not a string."},
    {"a bare stub", std::nullopt, false, true,
     "stub: The application could not be started because its configuration cannot be used: "
     "$DIR/opt/bin/stub: this launcher lies in no application bundle (Name.app/Contents/MacOS/Name) and "
     "carries no configuration of its own"},
};

// Without a graphical session the notice is the one line on standard error.
TEST_F(FailureMessages, EachFailureIsOneLineThatSaysWhatIsWrong) {
  for (const FailureCase& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir / "Foo.app");
    fs::remove_all(dir / "opt");
    ProgramResult result = start(layOut(c), std::nullopt);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, withDir(c.line) + "\n");
    EXPECT_EQ(result.out, "");
  }
}

// With one, the same header and text reach the dialog, and nothing else is written.
TEST_F(FailureMessages, WithADisplayTheDialogShowsTheSameText) {
  std::string record = writeDialogStandin(dir / "bin", "zenity");
  for (const FailureCase& c : {kCases[0], kCases[4]}) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir / "Foo.app");
    fs::remove(record);
    ProgramResult result = start(layOut(c), ":99");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    const std::string line = withDir(c.line);
    const size_t colon = line.find(": ");
    EXPECT_EQ(waitForFile(record), "--error\n--no-markup\n--title\n" + line.substr(0, colon) + "\n--text\n" +
                                       line.substr(colon + 2) + "\n");
  }
}

// A dialog program that cannot open its display ends at once; its failure
// must still be seen when the launcher's parent made it ignore SIGCHLD,
// which would let the system take the dialog's status away unheard. The
// text then goes to standard error as it does without a display.
TEST_F(FailureMessages, ADialogThatFailsAtOnceUnderAParentIgnoringSigchldFallsBackToStandardError) {
  fs::create_directories(dir / "bin");
  writeFile(dir / "bin/zenity", "#!/bin/sh\necho 'cannot open display' >&2\nexit 1\n");
  fs::permissions(dir / "bin/zenity", fs::perms(0755));
  const FailureCase& c = kCases[0];
  const std::string launcher = layOut(c);
  for (bool ignoring : {false, true}) {
    SCOPED_TRACE(ignoring ? "SIGCHLD ignored" : "SIGCHLD at its default");
    ProgramResult result = start(launcher, ":99", ignoring);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, withDir(c.line) + "\n");
  }
}

// An embedded configuration makes a command-line launcher: whatever is wrong
// with it is told on standard error, also with a graphical session.
TEST_F(FailureMessages, AnEmbeddedConfigurationThatIsNoDictionaryIsToldOnStandardError) {
  std::string record = writeDialogStandin(dir / "bin", "zenity");
  // kvx-embed refuses such a configuration; a launcher written by other
  // means may still carry one.
  writeFile(dir / "empty.plist", "<plist><dict/></plist>");
  ASSERT_EQ(runProgram(KVX_BUILD_DIR "/kvx-embed", {dir / "empty.plist", dir / "tool"}).status, 0);
  std::string tool = readFileOrMissing(dir / "tool");
  // Rewrites the embedded empty dictionary (binary, one byte of object: 0xD0)
  // into an empty array (0xA0) of the same size.
  const std::string emptyDictionary = std::string("bplist00\xd0", 9);
  size_t at = tool.find(emptyDictionary);
  ASSERT_NE(at, std::string::npos);
  tool[at + 8] = static_cast<char>(0xA0);
  writeFile(dir / "tool", tool);
  fs::permissions(dir / "tool", fs::perms::owner_all);

  ProgramResult result = start(dir / "tool", ":99");

  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("The embedded configuration's root is not a dictionary."), std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(record)) << readFileOrMissing(record);
}

}  // namespace
}  // namespace kvx::test
