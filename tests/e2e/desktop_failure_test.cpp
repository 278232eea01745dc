// A GUI start on a desktop, under a real X server started for the test:
// when the runtime ends the application with a failure, the person sees the
// runtime's own words in a dialog; an application that runs is not touched.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "test_support/x_server.h"
#include "test_support/app_bundle.h"
#include "base/utf.h"
#include "test_support/dialog_standin.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";

// Ways for an application to end, chosen by its first argument.
const char kModes[] = R"(
public class Modes {
  public static void main(String[] a) throws Exception {
    switch (a[0]) {
      case "silent" -> System.exit(1);
      case "accented" -> throw new IllegalStateException("\u00e9".repeat(400));
      case "order" -> {
        for (int i = 0; i < 20; i++) { System.out.println("out " + i); System.err.println("err " + i); }
      }
      case "hook" -> {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
          try { Thread.sleep(300); } catch (InterruptedException e) { }
          System.err.println("the hook ran");
        }));
        System.out.println("ready");
        Thread.sleep(20000);
      }
      case "crash" -> {
        java.lang.reflect.Field f = sun.misc.Unsafe.class.getDeclaredField("theUnsafe");
        f.setAccessible(true);
        ((sun.misc.Unsafe) f.get(null)).putAddress(0, 0);
      }
      default -> throw new IllegalStateException(a[0]);
    }
  }
}
)";

class DesktopFailure : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(kJdk17 + "/bin/javac")) return;
    classes = new TempDir();
    writeFile(*classes / "Greeter.java",
              "public class Greeter { public static void main(String[] a) {"
              " System.out.println(\"out \" + a.length); System.err.println(\"err line\");"
              " if (a.length > 0) throw new IllegalStateException(a[0]); } }\n");
    writeFile(*classes / "Modes.java", kModes);
    ProgramResult javac = runProgram(kJdk17 + "/bin/javac", {"-d", classes->path(), *classes / "Greeter.java",
                                                             *classes / "Modes.java"});
    ASSERT_EQ(javac.status, 0) << javac.err;
  }
  static void TearDownTestSuite() {
    delete classes;
    classes = nullptr;
  }
  void SetUp() override {
    if (classes == nullptr) GTEST_SKIP() << "no JDK 17 with javac at " << kJdk17;
  }

  // Each layout in a folder of its own: a watcher of an earlier start may
  // still be running the earlier copy of the launcher.
  AppBundle layOut(const std::string& mainClass, const std::vector<std::string>& options = {}) {
    const std::string base = dir / ("start" + std::to_string(++layouts));
    fs::create_directories(base);
    return layOutApp(base, "Greeter",
                     dict({{"CFBundleName", str("Greeter")},
                           {"JavaVM", dict({{"MainClass", str(mainClass)},
                                            {"ClassPath", str(classes->path())},
                                            {"VMOptionArray", strings(options)},
                                            {"SearchSequence", strings({"R" + kJdk17})}})}}));
  }

  // With errorLog, standard error goes to that file instead of the result.
  ProgramResult start(const AppBundle& app, const std::vector<std::string>& args,
                      std::optional<std::string> display, const std::string& path,
                      const std::string& errorLog = "") {
    RunOptions options;
    options.env = {{"DISPLAY", display},
                   {"WAYLAND_DISPLAY", std::nullopt},
                   {"PATH", path},
                   {"KESTROVEL_LOG", std::nullopt},
                   {"JAVA_TOOL_OPTIONS", std::nullopt},
                   {"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}};
    if (errorLog.empty()) return runProgram(app.executable, args, options);
    std::vector<std::string> shellArgs = {"-c", "exec \"$0\" \"$@\" 2>>'" + errorLog + "'", app.executable};
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    return runProgram("/bin/sh", shellArgs, options);
  }

  static TempDir* classes;
  TempDir dir;
  int layouts = 0;
};
TempDir* DesktopFailure::classes = nullptr;

TEST_F(DesktopFailure, TheRuntimesOwnFailureReachesTheDialog) {
  XServer x;
  if (!x.running()) GTEST_SKIP() << "no Xvfb to start";
  std::string record = writeDialogStandin(dir / "bin", "zenity");
  const std::string path = dir / "bin" + ":/usr/bin:/bin";
  const struct {
    const char* what;
    std::string mainClass;
    std::vector<std::string> options;
    std::vector<std::string> args;
    std::string expectedLine;
  } cases[] = {
      {"main class not found", "com.example.Missing", {}, {},
       "Error: Could not find or load main class com.example.Missing"},
      {"option refused", "Greeter", {"-XX:+NoSuchOptionHere"}, {}, "Unrecognized VM option 'NoSuchOptionHere'"},
      {"exception out of main", "Greeter", {}, {"broken"}, "Exception in thread \"main\" java.lang.IllegalStateException: broken"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(record);
    ProgramResult result = start(layOut(c.mainClass, c.options), c.args, x.display(), path);
    EXPECT_EQ(result.status, 1);
    // The runtime's words still reach standard error, and the dialog shows them.
    EXPECT_NE(result.err.find(c.expectedLine), std::string::npos) << result.err;
    std::string dialog = waitForFile(record);
    EXPECT_TRUE(dialog.starts_with("--error\n--no-markup\n--title\nGreeter\n--text\n"
                                   "The application ended with an error (status 1):\n\n"))
        << dialog;
    EXPECT_NE(dialog.find(c.expectedLine), std::string::npos) << dialog;
  }
}

// An application that runs shows nothing, and what it writes is the same
// byte for byte as without a desktop.
TEST_F(DesktopFailure, AnApplicationThatRunsIsLeftAlone) {
  XServer x;
  if (!x.running()) GTEST_SKIP() << "no Xvfb to start";
  std::string record = writeDialogStandin(dir / "bin", "zenity");
  const std::string path = dir / "bin" + ":/usr/bin:/bin";
  AppBundle app = layOut("Greeter");
  ProgramResult onDesktop = start(app, {}, x.display(), path);
  ProgramResult plain = start(app, {}, std::nullopt, path);
  EXPECT_EQ(onDesktop.status, 0) << onDesktop.err;
  EXPECT_EQ(onDesktop.out, "out 0\n");
  EXPECT_EQ(onDesktop.err, "err line\n");
  EXPECT_EQ(onDesktop.out, plain.out);
  EXPECT_EQ(onDesktop.err, plain.err);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(fs::exists(record));
}

// A DISPLAY that names no server (a stale ssh session): the real dialog
// program cannot open it, and the text goes to standard error instead.
// The notice comes from the watcher after the launcher has ended: standard
// error goes to a file, read until the text is there.
TEST_F(DesktopFailure, AStaleDisplayFallsBackToStandardError) {
  if (!fs::exists("/usr/bin/zenity")) GTEST_SKIP() << "zenity is not installed";
  AppBundle app = layOut("com.example.Missing");
  const std::string log = dir / "stderr.log";
  ProgramResult result = start(app, {}, ":599", "/usr/bin:/bin", log);
  EXPECT_EQ(result.status, 1);
  const std::string expected = "Greeter: The application ended with an error (status 1):\n\n"
                               "Error: Could not find or load main class com.example.Missing\n";
  std::string err;
  for (int i = 0; i < 200 && err.find(expected) == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    err = readFileOrMissing(log);
  }
  EXPECT_NE(err.find(expected), std::string::npos) << err;
}

// What the notice gets, or nothing: it appears only when a person can act on
// it, and with text any dialog program takes.
TEST_F(DesktopFailure, ANoticeComesOnlyWithSomethingToActOnAndInWholeCharacters) {
  XServer x;
  if (!x.running()) GTEST_SKIP() << "no Xvfb to start";
  std::string record = writeDialogStandin(dir / "bin", "zenity");
  const std::string path = dir / "bin" + ":/usr/bin:/bin";
  const struct {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string shown;  // empty: no notice
  } cases[] = {
      {"status 1 with nothing written", {"silent"}, 1, ""},
      {"a crash of the runtime", {"crash"}, 134, "The application's Java runtime crashed. Its report is in " + dir.path()},
      {"a long line of accented letters", {"accented"}, 1, "IllegalStateException: \u00e9\u00e9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(record);
    AppBundle app = layOut("Modes");
    std::vector<std::string> args = {"-c", "cd '" + dir.path() + "' && exec \"$0\" \"$@\" 2>err.log", app.executable};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunOptions options;
    options.env = {{"DISPLAY", x.display()}, {"WAYLAND_DISPLAY", std::nullopt}, {"PATH", path},
                   {"KESTROVEL_LOG", std::nullopt}, {"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}};
    ProgramResult result = runProgram("/bin/sh", args, options);
    EXPECT_EQ(result.status, c.status);
    if (c.shown.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      EXPECT_FALSE(fs::exists(record)) << readFileOrMissing(record);
      continue;
    }
    std::string dialog = waitForFile(record);
    EXPECT_NE(dialog.find(c.shown), std::string::npos) << dialog;
    EXPECT_TRUE(isValidUtf8(dialog)) << dialog;
  }
}

// Signals to the whole process group, closed standard streams and one pipe
// for output and errors: nothing written is lost or reordered, and the
// user's own interrupt is no error.
TEST_F(DesktopFailure, NothingWrittenIsLostUnderSignalsClosedStreamsOrOneSharedPipe) {
  XServer x;
  if (!x.running()) GTEST_SKIP() << "no Xvfb to start";
  std::string record = writeDialogStandin(dir / "bin", "zenity");
  RunOptions options;
  options.env = {{"DISPLAY", x.display()}, {"WAYLAND_DISPLAY", std::nullopt}, {"PATH", dir / "bin" + ":/usr/bin:/bin"},
                 {"KESTROVEL_LOG", std::nullopt}, {"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"},
                 {"LAUNCHER", layOut("Modes").executable}, {"WORK", dir.path()}};

  ProgramResult group = runProgram(
      "/bin/sh", {"-c", "cd \"$WORK\"; setsid \"$LAUNCHER\" hook >out.txt 2>err.txt & "
                        "while ! grep -q ready out.txt 2>/dev/null; do sleep 0.05; done; "
                        "kill -TERM -$!; wait $!; echo status $?; sleep 1; cat err.txt"},
      options);
  EXPECT_EQ(group.out, "status 143\nthe hook ran\n") << group.err;

  ProgramResult closed = runProgram(
      "/bin/sh", {"-c", "cd \"$WORK\"; exec 0<&- 1>&-; exec \"$LAUNCHER\" broken 2>closed.txt"}, options);
  EXPECT_EQ(closed.status, 1);
  std::string dialog = waitForFile(record);
  EXPECT_NE(dialog.find("IllegalStateException: broken"), std::string::npos) << dialog;
  EXPECT_NE(readFileOrMissing(dir / "closed.txt").find("IllegalStateException: broken"), std::string::npos);
  fs::remove(record);

  ProgramResult shared = runProgram("/bin/sh", {"-c", "exec \"$LAUNCHER\" order 2>&1"}, options);
  std::string expected;
  for (int i = 0; i < 20; ++i) expected += "out " + std::to_string(i) + "\nerr " + std::to_string(i) + "\n";
  EXPECT_EQ(shared.out, expected);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(fs::exists(record)) << "the interrupt and the success were no errors";
}

}  // namespace
}  // namespace kvx::test
