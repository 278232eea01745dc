// The user guide's examples, run for real: each file under docs/examples/ is
// laid out the way the guide tells a packager to, started with the built
// launcher on the machine's JDK 17, and its outcome checked against what the
// guide says. Shell sessions are replayed command by command and must print
// exactly what the guide shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_support/dialog_standin.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kDocs = KVX_SOURCE_DIR "/docs";
const std::string kExamples = KVX_SOURCE_DIR "/docs/examples/";

std::string example(const std::string& relative) {
  std::string text = readFileOrMissing(kExamples + relative);
  if (text == "<missing>") ADD_FAILURE() << "no example " << relative;
  return text;
}

void copyExample(const std::string& relative, const std::string& to) { writeFile(to, example(relative)); }

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Everything the launcher and the virtual machine would pick up from the
// developer's own shell, removed; the trace off; no display.
std::vector<std::pair<std::string, std::optional<std::string>>> quietEnvironment() {
  return {{"KESTROVEL_LOG", std::nullopt},      {"JAVA_HOME", std::nullopt},
          {"JAVA_TOOL_OPTIONS", std::nullopt},  {"JDK_JAVA_OPTIONS", std::nullopt},
          {"LANGUAGE", std::nullopt},           {"LC_ALL", std::nullopt},
          {"LC_MESSAGES", std::nullopt},        {"LANG", std::nullopt},
          {"DISPLAY", std::nullopt},            {"WAYLAND_DISPLAY", std::nullopt},
          {"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}};
}

bool printed(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

// The Java feature version that "Hello from Java N" names, or 0.
int javaFeatureOf(const std::string& output) {
  size_t at = output.find("Hello from Java ");
  return at == std::string::npos ? 0 : std::atoi(output.c_str() + at + 16);
}

class GuideExamples : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(kJdk17 + "/bin/javac")) return;
    built = std::make_unique<TempDir>();
    ProgramResult javac = runProgram(kJdk17 + "/bin/javac",
                                     {"-d", *built / "classes", kExamples + "gui/Hello.java"});
    ASSERT_EQ(javac.status, 0) << javac.err;
    ProgramResult jar = runProgram(kJdk17 + "/bin/jar", {"--create", "--file", *built / "hello.jar", "--main-class",
                                                         "Hello", "-C", *built / "classes", "."});
    ASSERT_EQ(jar.status, 0) << jar.err;
    // The sessions run the tools as a user of an installation has them.
    ProgramResult install = runProgram("/usr/bin/env", {"cmake", "--install", KVX_BUILD_DIR, "--prefix", *built / "prefix"});
    ASSERT_EQ(install.status, 0) << install.out << install.err;
  }
  static void TearDownTestSuite() { built.reset(); }
  void SetUp() override {
    if (!built) GTEST_SKIP() << "no JDK 17 with javac at " << kJdk17;
  }

  static std::string helloJar() { return *built / "hello.jar"; }

  // dir/Hello.app as the GUI page lays it out, and returns its executable.
  std::string layOutHelloApp(const std::string& dir, const std::string& infoPlist) {
    std::string app = dir + "/Hello.app";
    writeFile(app + "/Contents/Info.plist", infoPlist);
    fs::create_directories(app + "/Contents/MacOS");
    fs::copy_file(KVX_BUILD_DIR "/kvx-launcher", app + "/Contents/MacOS/Hello");
    fs::create_directories(app + "/Contents/Resources/app/lib");
    fs::copy_file(helloJar(), app + "/Contents/Resources/app/lib/hello.jar");
    return app + "/Contents/MacOS/Hello";
  }

  // The messages bundle of the messages page, in an application root.
  void layOutMessages(const std::string& appRoot) {
    std::string resources = appRoot + "/.kestrovel/Messages.bundle/Contents/Resources/";
    for (const char* language : {"en", "de"}) {
      std::string strings = std::string(language) + ".lproj/Localizable.strings";
      copyExample("messages/" + strings, resources + strings);
    }
  }

  // The directory in which the command-line pages' sessions run: their
  // configurations, and the application tree hello/ with its archive and
  // messages (hello/bin is made by the sessions themselves).
  void layOutCommandLineTree(const std::string& dir) {
    copyExample("cli/hello.plist", dir + "/hello.plist");
    copyExample("services/hellod.plist", dir + "/hellod.plist");
    copyExample("messages/hello-next.plist", dir + "/hello-next.plist");
    copyExample("startup-cache/hello-cached.plist", dir + "/hello-cached.plist");
    fs::create_directories(dir + "/hello/lib");
    fs::copy_file(helloJar(), dir + "/hello/lib/hello.jar");
    layOutMessages(dir + "/hello");
  }

  ProgramResult runLauncher(const std::string& executable, const std::vector<std::string>& args,
                            std::vector<std::pair<std::string, std::optional<std::string>>> extra = {}) {
    RunOptions options;
    options.env = quietEnvironment();
    options.env.emplace_back("XDG_CONFIG_HOME", dir / "no-preferences");
    for (const auto& change : extra) {
      std::erase_if(options.env, [&](const auto& entry) { return entry.first == change.first; });
      options.env.push_back(change);
    }
    return runProgram(executable, args, options);
  }

  // Replays a session: every "$ " line is run by bash in dir, with the
  // installed programs on PATH, its standard output and error together; the
  // result is the session as it would read, with dir shown as $PWD and a
  // home of its own (without preferences) as $HOME.
  std::string replaySession(const std::string& sessionFile, const std::string& workDir,
                            std::optional<std::string> javaHome = std::nullopt) {
    const std::string home = dir / "home";
    std::filesystem::create_directories(home);
    RunOptions options;
    options.env = quietEnvironment();
    options.env.emplace_back("XDG_CONFIG_HOME", std::nullopt);
    options.env.emplace_back("XDG_CACHE_HOME", std::nullopt);
    options.env.emplace_back("HOME", home);
    if (javaHome) {
      std::erase_if(options.env, [](const auto& entry) { return entry.first == "JAVA_HOME"; });
      options.env.emplace_back("JAVA_HOME", *javaHome);
    }
    options.env.emplace_back("PATH", *built / "prefix/bin" + ":" + getenv("PATH"));
    std::istringstream session(example(sessionFile));
    std::string transcript;
    for (std::string line; std::getline(session, line);) {
      if (line.rfind("$ ", 0) != 0) continue;
      ProgramResult result = runProgram(
          "/bin/bash", {"-c", "cd '" + workDir + "' || exit 99; exec 2>&1; " + line.substr(2)}, options);
      transcript += line + "\n" + replaceAll(replaceAll(result.out, workDir, "$PWD"), home, "$HOME");
    }
    return transcript;
  }

  static std::unique_ptr<TempDir> built;
  TempDir dir;
};

std::unique_ptr<TempDir> GuideExamples::built;

TEST_F(GuideExamples, TheCommandLineSessionsPrintWhatTheGuideShows) {
  std::string work = dir / "work";
  layOutCommandLineTree(work);
  // The tracing page starts the launcher that the command-line page made.
  for (const char* session : {"cli/session.txt", "tracing/session.txt", "services/session.txt",
                              "messages/session.txt", "startup-cache/session.txt"}) {
    EXPECT_EQ(replaySession(session, work), example(session)) << session;
  }
}

// kvx-bundle makes its runtime from the JDK that JAVA_HOME names, as the
// pages say; here that is JDK 17, whose greeting the sessions show.
TEST_F(GuideExamples, TheQuickStartGoesFromAJarToARunningApplication) {
  std::string work = dir / "work";
  fs::create_directories(work);
  fs::copy_file(helloJar(), work + "/hello.jar");
  EXPECT_EQ(replaySession("bundle/quick-start.txt", work, kJdk17), example("bundle/quick-start.txt"));
}

TEST_F(GuideExamples, TheBundleSessionPrintsWhatTheGuideShows) {
  std::string work = dir / "work";
  fs::create_directories(work + "/app");
  fs::copy_file(helloJar(), work + "/app/hello.jar");
  EXPECT_EQ(replaySession("bundle/session.txt", work, kJdk17), example("bundle/session.txt"));
}

TEST_F(GuideExamples, TheSessionOfServicesAndTheBuildsWorkingsPrintsWhatTheGuideShows) {
  std::string work = dir / "work";
  fs::create_directories(work + "/app");
  fs::copy_file(helloJar(), work + "/app/hello.jar");
  EXPECT_EQ(replaySession("bundle/services.txt", work, kJdk17), example("bundle/services.txt"));
}

TEST_F(GuideExamples, TheSessionOfOptionsForRealApplicationsPrintsWhatTheGuideShows) {
  std::string work = dir / "work";
  fs::create_directories(work + "/app");
  fs::copy_file(helloJar(), work + "/app/hello.jar");
  EXPECT_EQ(replaySession("bundle/shapes.txt", work, kJdk17), example("bundle/shapes.txt"));
}

// The modular example compiled as the page tells: app/mods/hello.mod.jar,
// its main class named in the module (jar --main-class).
TEST_F(GuideExamples, TheModulesSessionPrintsWhatTheGuideShows) {
  std::string work = dir / "work";
  std::string sources = kExamples + "bundle/modules/";
  ProgramResult javac = runProgram(kJdk17 + "/bin/javac", {"-d", work + "/classes", sources + "module-info.java",
                                                           sources + "hello/mod/Main.java"});
  ASSERT_EQ(javac.status, 0) << javac.err;
  fs::create_directories(work + "/app/mods");
  ProgramResult jar = runProgram(kJdk17 + "/bin/jar", {"--create", "--file", work + "/app/mods/hello.mod.jar",
                                                       "--main-class", "hello.mod.Main", "-C", work + "/classes", "."});
  ASSERT_EQ(jar.status, 0) << jar.err;
  EXPECT_EQ(replaySession("bundle/modules.txt", work, kJdk17), example("bundle/modules.txt"));
}

TEST_F(GuideExamples, TheRelaunchSessionPrintsWhatTheGuideShows) {
  std::string work = dir / "work";
  layOutHelloApp(work, example("gui/Info.plist"));
  EXPECT_EQ(replaySession("relaunch/session.txt", work), example("relaunch/session.txt"));
}

TEST_F(GuideExamples, TheBundleAndItsOptionsFilesGiveTheApplicationWhatTheGuideSays) {
  std::string executable = layOutHelloApp(dir.path(), example("gui/Info.plist"));
  std::string appRoot = dir / "Hello.app/Contents/Resources/app";
  fs::create_directories(appRoot + "/plugins");
  fs::copy_file(helloJar(), appRoot + "/plugins/extra.jar");
  copyExample("options/Hello.vmoptions", dir / "Hello.vmoptions");
  copyExample("options/common.vmoptions", dir / "common.vmoptions");

  ProgramResult result = runLauncher(executable, {"-J-Dhello.colour=blue", "one"},
                                     {{"KESTROVEL_LOG", "yes"}, {"HOME", dir / "home"}});

  ASSERT_EQ(result.status, 0) << result.out << result.err;
  // kvx.minVersion 17 and kvx.maxVersion 21, found in the standard locations.
  int feature = javaFeatureOf(result.out);
  EXPECT_GE(feature, 17) << result.out;
  EXPECT_LE(feature, 21) << result.out;
  EXPECT_TRUE(printed(result.out, feature <= 20 ? "hello.runtimeFamily = 17 to 20" : "hello.runtimeFamily = 21"))
      << result.out;
  for (const std::string& line : std::vector<std::string>{"hello.kind = gui", "hello.greeting = Good morning", "hello.settings = " + dir / "home/.hello",
        "hello.separator = :", "hello.colour = blue"}) {
    EXPECT_TRUE(printed(result.out, line)) << line << "\n" << result.out;
  }
  // Configured arguments first, then the command line's.
  EXPECT_NE(result.out.find("argument: --from-info-plist\nargument: one\n"), std::string::npos) << result.out;
  // The plug-in archive joined the class path behind the configured one,
  // and the heap option of the options file reached the virtual machine.
  EXPECT_NE(result.err.find("] arg -Djava.class.path=" + appRoot + "/lib/hello.jar:" + appRoot +
                            "/plugins/extra.jar\n"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("] arg -Xmx512m\n"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("-Xdock"), std::string::npos) << result.err;
}

// The Linux recipe: the user's JAVA_HOME when it is recent enough, else the
// standard location; the program runs where the user started it.
TEST_F(GuideExamples, TheLinuxRecipeTakesJavaHomeAndStartsWhereTheUserIs) {
  std::string executable = layOutHelloApp(dir.path(), example("linux/Info.plist"));
  fs::create_directories(dir / "documents");
  ProgramResult result = runLauncher(executable, {},
                                     {{"KESTROVEL_LOG", "yes"}, {"JAVA_HOME", kJdk17}, {"PWD", dir / "documents"}});
  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_TRUE(printed(result.out, "Hello from Java 17")) << result.out;
  EXPECT_TRUE(printed(result.out, "hello.runtimeFamily = 17 to 20")) << result.out;
  EXPECT_NE(result.err.find("] using working directory " + dir / "documents" + "\n"), std::string::npos)
      << result.err;

  // A JAVA_HOME below the minimum is passed over for the standard location.
  fs::create_directories(dir / "old-jdk");
  writeFile(dir / "old-jdk/release", "JAVA_VERSION=\"11.0.2\"\n");
  ProgramResult fallback = runLauncher(executable, {}, {{"JAVA_HOME", dir / "old-jdk"}});
  ASSERT_EQ(fallback.status, 0) << fallback.out << fallback.err;
  EXPECT_GE(javaFeatureOf(fallback.out), 17) << fallback.out;
}

// The user's own file comes after the installation's and before the command line.
TEST_F(GuideExamples, TheUsersOwnOptionsFileComesBetweenTheInstallationAndTheCommandLine) {
  std::string executable = layOutHelloApp(dir.path(), example("gui/Info.plist"));
  copyExample("options/Hello.vmoptions", dir / "Hello.vmoptions");
  copyExample("options/common.vmoptions", dir / "common.vmoptions");
  copyExample("options/user.vmoptions", dir / "config/kestrovel/com.example.hello.vmoptions");

  ProgramResult result = runLauncher(executable, {"-J-Xmx3g"},
                                     {{"KESTROVEL_LOG", "yes"}, {"XDG_CONFIG_HOME", dir / "config"}});
  ASSERT_EQ(result.status, 0) << result.out << result.err;
  const size_t installation = result.err.find("] arg -Xmx512m\n");
  const size_t user = result.err.find("] arg -Xmx2g\n");
  const size_t commandLine = result.err.find("] arg -Xmx3g\n");
  ASSERT_NE(installation, std::string::npos) << result.err;
  ASSERT_NE(user, std::string::npos) << result.err;
  ASSERT_NE(commandLine, std::string::npos) << result.err;
  EXPECT_LT(installation, user);
  EXPECT_LT(user, commandLine);
  EXPECT_NE(result.err.find("] arg -Dhttps.proxyHost=proxy.example.com\n"), std::string::npos) << result.err;
}

TEST_F(GuideExamples, AnEarlierInstallationsRuntimeIsTakenFromTheStore) {
  std::string executable = layOutHelloApp(dir.path(), example("gui/Info.plist"));
  // The store names /opt/hello-1 and /opt/hello-2; here they live under dir.
  std::string store = replaceAll(example("runtime/com.kestrovel.installations.plist"), "/opt/", dir / "opt/");
  writeFile(dir / "config/kestrovel/preferences/com.kestrovel.installations.plist", store);
  std::string runtime = dir / "opt/hello-2/Hello.app/Contents/PlugIns/jre.bundle";
  fs::create_directories(fs::path(runtime).parent_path());
  fs::create_directory_symlink(kJdk17, runtime);

  ProgramResult result =
      runLauncher(executable, {}, {{"KESTROVEL_LOG", "yes"}, {"XDG_CONFIG_HOME", dir / "config"}});

  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(javaFeatureOf(result.out), 17) << result.out;
  // hello-1 has no runtime of its own: it is looked at and passed over.
  EXPECT_NE(result.err.find("] checking " + dir / "opt/hello-1/.kestrovel/jre.bundle\n"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("] arg -Dkvx.jreBundle=" + runtime + "\n"), std::string::npos) << result.err;
}

TEST_F(GuideExamples, ABundlesMessageGoesToADialogOrElseToStandardError) {
  // The GUI example, for a release that needs a runtime nobody has.
  std::string info = replaceAll(example("gui/Info.plist"), "<string>17</string>", "<string>99</string>");
  std::string executable = layOutHelloApp(dir.path(), info);
  layOutMessages(dir / "Hello.app/Contents/Resources/app");
  const std::string text = "Hello needs Java 99 or later. Please install it and start Hello again.";

  ProgramResult noDisplay = runLauncher(executable, {});
  EXPECT_EQ(noDisplay.status, 1);
  EXPECT_EQ(noDisplay.err, "Hello: " + text + "\n");

  std::string record = writeDialogStandin(dir / "bin", "zenity");
  ProgramResult withDisplay = runLauncher(
      executable, {}, {{"DISPLAY", ":0"}, {"PATH", dir / "bin" + ":" + std::string(getenv("PATH"))}});
  EXPECT_EQ(withDisplay.status, 1);
  EXPECT_EQ(withDisplay.err, "");
  EXPECT_EQ(waitForFile(record), "--error\n--no-markup\n--title\nHello\n--text\n" + text + "\n");
}

// Every block marked as an example in README.md and docs/*.md is the
// example file itself, and every example file is shown somewhere.
TEST(GuidePages, EachMarkedBlockIsItsExampleFile) {
  std::vector<std::string> pages = {KVX_SOURCE_DIR "/README.md"};
  for (const fs::directory_entry& entry : fs::directory_iterator(kDocs)) {
    if (entry.path().extension() == ".md") pages.push_back(entry.path().string());
  }
  const std::regex marked("<!-- example: docs/examples/([^ ]+) -->\n```[^\n]*\n");
  std::set<std::string> shown;
  for (const std::string& page : pages) {
    std::string text = readFileOrMissing(page);
    for (std::sregex_iterator it(text.begin(), text.end(), marked), end; it != end; ++it) {
      std::string name = (*it)[1];
      size_t start = it->position() + it->length();
      size_t close = text.find("\n```\n", start - 1);
      ASSERT_NE(close, std::string::npos) << page << ": block of " << name << " is not closed";
      EXPECT_EQ(text.substr(start, close + 1 - start), readFileOrMissing(kExamples + name))
          << page << " shows " << name << " differently";
      shown.insert(name);
    }
  }
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kExamples)) {
    if (!entry.is_regular_file()) continue;
    std::string name = fs::relative(entry.path(), kExamples).string();
    EXPECT_TRUE(shown.count(name)) << "docs/examples/" << name << " is shown on no page";
  }
}

TEST_F(GuideExamples, ThePackagesSessionPrintsWhatTheGuideShows) {
  for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "strip"}) {
    if (runProgram("/bin/sh", {"-c", std::string("command -v ") + tool}).status != 0) {
      GTEST_SKIP() << tool << " is not installed (scripts/install-deps)";
    }
  }
  std::string work = dir / "work";
  fs::create_directories(work + "/app");
  fs::copy_file(helloJar(), work + "/app/hello.jar");
  EXPECT_EQ(replaySession("bundle/packages.txt", work, kJdk17), example("bundle/packages.txt"));
}

// The documents and further launchers of the guide, with its two
// properties files beside the input.
TEST_F(GuideExamples, TheDocumentsAndLaunchersSessionPrintsWhatTheGuideShows) {
  std::string work = dir / "work";
  fs::create_directories(work + "/app");
  fs::copy_file(helloJar(), work + "/app/hello.jar");
  copyExample("bundle/note.properties", work + "/note.properties");
  copyExample("bundle/admin.properties", work + "/admin.properties");
  EXPECT_EQ(replaySession("bundle/documents.txt", work, kJdk17), example("bundle/documents.txt"));
}

}  // namespace
}  // namespace kvx::test
