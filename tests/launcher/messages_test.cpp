#include <gtest/gtest.h>

#include <filesystem>

#include "launcher/launcher.h"
#include "launcher/messages.h"
#include "run/globals.h"
#include "launcher/message_format.h"
#include "test_support/dialog_standin.h"
#include "test_support/scoped_trace.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

using plist::Value;
using test::ScopedEnv;

TEST(FormatMessage, FillsPlaceholdersInOrderAndNeverPastTheInfos) {
  const struct {
    const char* text;
    std::vector<std::string> infos;
    const char* expected;
  } cases[] = {
      {"Java %@ is needed by %@.", {"17", "Foo"}, "Java 17 is needed by Foo."},
      {"Java %@ is needed by %@.", {"17"}, "Java 17 is needed by ."},
      {"%@%@%@", {}, ""},
      {"%2$@ needs %1$@", {"17", "Foo"}, "Foo needs 17"},
      {"%3$@|%0$@", {"a"}, "|%0$@"},
      {"100%% of %@", {"x"}, "100% of x"},
      // Other conversions take no argument and stay as written.
      {"%d %s %", {"x"}, "%d %s %"},
      {"%@ with %@ inside", {"%@", "%2$@"}, "%@ with %2$@ inside"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatMessage(c.text, c.infos), c.expected) << c.text;
}

const char* const kMinVersionEn =
    "Java 17 or later is needed to run Foo. Please install it and start the application again.";

// An application root holding the sample messages bundle, in an English
// session, with the trace off.
class ErrorMessagesTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_ / ".kestrovel");
    std::filesystem::copy(KVX_SOURCE_DIR "/tests/fixtures/Messages.bundle",
                          root_ / ".kestrovel/Messages.bundle", std::filesystem::copy_options::recursive);
    run.appRootDir = root_.path();
    run.infoDictionary = &configuration_;
  }

  test::TempDir root_;
  RunState run;
  test::ScopedTrace trace_{false};
  ScopedEnv language_{"LANGUAGE", std::nullopt};
  ScopedEnv lcAll_{"LC_ALL", std::nullopt};
  ScopedEnv lcMessages_{"LC_MESSAGES", std::nullopt};
  ScopedEnv lang_{"LANG", "en_US.UTF-8"};
  Value configuration_ = Value::dictionary({{"CFBundleName", Value::string("Foo")}});
};

TEST_F(ErrorMessagesTest, GetMessageFindsFormatsOrFallsBackToTheKey) {
  const struct {
    const char* key;
    OptString info1, info2;
    OptString expected;
  } cases[] = {
      {"AppleJavaMinVersionError", "17", "Foo", kMinVersionEn},
      // Without info1 the text stands unformatted, placeholders and all.
      {"AppleJavaMinVersionError", std::nullopt, "Foo",
       "Java %@ or later is needed to run %@. Please install it and start the application again."},
      {"torqa.InternalError", "Could not load JRE.", std::nullopt,
       "The application could not be started because of an internal error: Could not load JRE."},
      {"NonWritablePackDir", std::nullopt, std::nullopt,
       "The Java runtime that comes with this application must be unpacked before its first start, "
       "but its folder cannot be written. Please start the application once as a user who may "
       "change it."},
      {"no.such.key", "ignored", "ignored", "no.such.key"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(getMessage(run, c.key, c.info1, c.info2), c.expected) << c.key;
  }
}

TEST_F(ErrorMessagesTest, TheLanguageComesFromTheEnvironment) {
  ScopedEnv lang("LANG", "de_CH.UTF-8");
  EXPECT_EQ(getMessage(run, "AppleJavaMinVersionError", "17", "Foo"),
            "Java 17 oder neuer wird ben\u00f6tigt, um Foo auszuf\u00fchren. Bitte installieren "
            "Sie es und starten Sie die Anwendung erneut.");
}

// Without a messages bundle the launcher's own English texts serve; only a
// key it does not know is left to the always-written line.
TEST_F(ErrorMessagesTest, WithoutTheBundleTheLaunchersOwnTextsServe) {
  std::filesystem::remove_all(root_ / ".kestrovel");
  EXPECT_EQ(getMessage(run, "torqa.InternalError", "x", std::nullopt),
            "The application could not be started because of an internal error: x");
  EXPECT_EQ(getMessage(run, "AppleJavaMinVersionError", "17", "Foo"), kMinVersionEn);
  // No minimum configured: still says what is needed, and for what.
  EXPECT_EQ(getMessage(run, "AppleJavaMinVersionError", std::nullopt, "Foo"),
            "Java is needed to run Foo, but no Java runtime was found. Please install it and start the "
            "application again.");
  testing::internal::CaptureStderr();
  run.commandLine = true;
  displayError(run, "NonWritablePackDir");
  EXPECT_EQ(getMessage(run, "no.such.key", std::nullopt, std::nullopt), std::nullopt);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(err.starts_with("ERROR: The Java runtime that comes with this application must be unpacked"))
      << err;
  EXPECT_EQ(err.find("] message NonWritablePackDir not found\n"), std::string::npos) << err;
  EXPECT_NE(err.find("] message no.such.key not found\n"), std::string::npos) << err;
}

// A bundle that lacks a key falls back to the launcher's text for it.
TEST_F(ErrorMessagesTest, AKeyMissingFromEveryLanguageFallsBackToTheLaunchersText) {
  test::writeFile(root_ / ".kestrovel/Messages.bundle/Contents/Resources/en.lproj/Localizable.strings",
            "\"NonWritablePackDir\" = \"Own text.\";\n");
  EXPECT_EQ(getMessage(run, "NonWritablePackDir", std::nullopt, std::nullopt), "Own text.");
  EXPECT_EQ(getMessage(run, "torqa.InternalError", "y", std::nullopt),
            "The application could not be started because of an internal error: y");
}

TEST_F(ErrorMessagesTest, ACommandLineLauncherWritesOneLineToStandardError) {
  run.commandLine = true;
  ScopedEnv display("DISPLAY", ":99");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  displayError(run, "AppleJavaMinVersionError", std::string("17"), std::string("Foo"));
  displayError(run, "no.such.key");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string("ERROR: ") + kMinVersionEn + "\nERROR: no.such.key\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(ErrorMessagesTest, AnApplicationBundleShowsANoticeTitledWithItsName) {
  test::TempDir bin;
  std::string record = test::writeDialogStandin(bin.path(), "zenity");
  ScopedEnv path("PATH", bin.path());
  ScopedEnv display("DISPLAY", ":99");
  testing::internal::CaptureStderr();
  displayError(run, "torqa.InternalError", std::string("Could not load JRE."));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(test::waitForFile(record),
            "--error\n--no-markup\n--title\nFoo\n--text\nThe application could not be started "
            "because of an internal error: Could not load JRE.\n");
}

TEST_F(ErrorMessagesTest, WithoutAGraphicalSessionTheNoticeGoesToStandardError) {
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  // A bundle name that is not text must not hide the error being shown.
  Value numericName = Value::dictionary({{"CFBundleName", Value::integer(7)}});
  testing::internal::CaptureStderr();
  displayError(run, "AppleJavaMinVersionError", std::string("17"), std::string("Foo"));
  run.infoDictionary = &numericName;
  displayError(run, "no.such.key");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string("Foo: ") + kMinVersionEn + "\nno.such.key\n");
}

}  // namespace
}  // namespace kvx
