// kvx-bundle as a packager uses it: applications of both types made from
// jars compiled here, on the machine's real JDK, started and checked for
// what they print; the runtime they ship shown to be the one that runs, with
// nothing else reachable; and every refusal shown to leave nothing behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kBundle = KVX_BUILD_DIR "/kvx-bundle";

// The application: it uses java.sql (so jdeps has a module to find beyond
// java.base) and a class of a second jar, and says what it was given.
const char kGreeterJava[] = R"(package com.example.app;

import com.example.words.Words;

public class Greeter {
  public static void main(String[] args) {
    for (String name : new String[] {"greeting", "app.root", "kvx.jreBundle", "java.home"}) {
      System.out.println(name + " = " + System.getProperty(name));
    }
    System.out.println("date = " + java.sql.Date.valueOf("2024-02-29"));
    String[] installed = new java.io.File("/usr/lib/jvm").list();
    System.out.println("runtimes in /usr/lib/jvm = " + (installed == null ? 0 : installed.length));
    System.out.println("arguments = " + Words.joined(args));
  }
}
)";

const char kWordsJava[] = R"(package com.example.words;

public class Words {
  public static String joined(String[] words) { return String.join("|", words); }
}
)";

// A further launcher's class, in the second jar: it says which runtime it
// runs on and what it was given.
const char kAdminJava[] = R"(package com.example.words;

public class Admin {
  public static void main(String[] args) {
    System.out.println("admin on " + System.getProperty("java.home") + " as " + System.getProperty("role"));
    System.out.println("admin arguments = " + Words.joined(args));
  }
}
)";

// A 1x1 PNG image.
const char kPng[] =
    "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\1\0\0\0\1\x08\x06\0\0\0\x1f\x15\xc4\x89\0\0\0\rIDATx\x9c"
    "c\xf8\x0f\0\0\1\1\0\x05\x18\xd8N\0\0\0\0IEND\xae\x42\x60\x82";

bool printed(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

// A real virtual machine handles SIGSEGV itself and keeps its memory until exit.
Environment quietEnvironment() {
  return {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}, {"KESTROVEL_LOG", std::nullopt},
          {"JAVA_HOME", std::nullopt}, {"JAVA_TOOL_OPTIONS", std::nullopt}, {"JDK_JAVA_OPTIONS", std::nullopt},
          {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"LANG", std::nullopt},
          {"LANGUAGE", std::nullopt}, {"LC_ALL", std::nullopt}, {"LC_MESSAGES", std::nullopt}};
}

ProgramResult run(const std::string& program, const Strings& args, Environment extra = {}) {
  RunOptions options;
  options.env = quietEnvironment();
  options.env.insert(options.env.end(), extra.begin(), extra.end());
  return runProgram(program, args, options);
}

// kvx-bundle with the tools' own environment: JAVA_HOME is not looked at
// unless a test sets it.
ProgramResult bundle(const Strings& args, Environment extra = {}) {
  RunOptions options;
  options.env = {{"JAVA_HOME", std::nullopt}, {"JAVA_TOOL_OPTIONS", std::nullopt}};
  options.env.insert(options.env.end(), extra.begin(), extra.end());
  return runProgram(kBundle, args, options);
}

// Applications made with jlink take seconds each, and every test runs in a
// process of its own. So what tests only read is made once, by the first
// test that needs it, in a directory of the build tree, under a lock, and
// made again when what it was made from changes (the stamp).
class SharedDirectory {
 public:
  // make fills the directory it is given and answers "" or what went wrong.
  SharedDirectory(const std::string& name, const std::string& stamp,
                  const std::function<std::string(const std::string&)>& make)
      : path_(KVX_BUILD_DIR "/e2e-bundles/" + name) {
    fs::create_directories(fs::path(path_).parent_path());
    int lock = open((path_ + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    flock(lock, LOCK_EX);
    if (readFileOrMissing(path_ + ".stamp") != stamp || !fs::exists(path_)) {
      fs::remove(path_ + ".stamp");
      fs::remove_all(path_);
      fs::create_directories(path_);
      error_ = make(path_);
      if (error_.empty()) writeFile(path_ + ".stamp", stamp);
    }
    close(lock);
  }
  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  std::string error_;
};

// The jars of the application: input/greeter.jar (Main-Class
// com.example.app.Greeter) and input/libs/words.jar.
const SharedDirectory& jars() {
  static SharedDirectory jars("jars", std::string(kGreeterJava) + kWordsJava + kAdminJava, [](const std::string& dir) {
    if (!fs::exists(kJdk17 + "/bin/jlink")) return "no JDK 17 with jlink at " + kJdk17;
    writeFile(dir + "/src/com/example/app/Greeter.java", kGreeterJava);
    writeFile(dir + "/src/com/example/words/Words.java", kWordsJava);
    writeFile(dir + "/src/com/example/words/Admin.java", kAdminJava);
    fs::create_directories(dir + "/input/libs");
    std::string error;
    for (const Strings& args : std::vector<Strings>{
             {kJdk17 + "/bin/javac", "-d", dir + "/classes", dir + "/src/com/example/words/Words.java",
              dir + "/src/com/example/words/Admin.java", dir + "/src/com/example/app/Greeter.java"},
             {kJdk17 + "/bin/jar", "--create", "--file", dir + "/input/libs/words.jar", "-C", dir + "/classes",
              "com/example/words"},
             {kJdk17 + "/bin/jar", "--create", "--file", dir + "/input/greeter.jar", "--main-class",
              "com.example.app.Greeter", "-C", dir + "/classes", "com/example/app"}}) {
      ProgramResult step = runProgram(args[0], Strings(args.begin() + 1, args.end()));
      if (step.status != 0) error += args[0] + ": " + step.err;
    }
    return error;
  });
  return jars;
}

std::string input() { return jars().path() + "/input"; }

// An application made by kvx-bundle into DIR/dist, what it printed kept in
// DIR/stderr; files writes what the arguments name into DIR first.
class SharedBuild {
 public:
  SharedBuild(const std::string& name, const Strings& args,
              const std::function<void(const std::string&)>& files = [](const std::string&) {})
      : directory_(name, stampFor(args), [&](const std::string& dir) {
          files(dir);
          Strings full = args;
          full.insert(full.end(), {"--dest", dir + "/dist"});
          ProgramResult made = bundle(full);
          writeFile(dir + "/stderr", made.err);
          return made.status == 0 ? std::string() : "kvx-bundle ended with " + std::to_string(made.status) + ": " + made.err;
        }) {}
  const std::string& error() const { return directory_.error(); }
  std::string err() const { return readFileOrMissing(directory_.path() + "/stderr"); }
  std::string dir(const std::string& relative) const { return directory_.path() + "/" + relative; }
  std::string dist(const std::string& relative) const { return dir("dist/" + relative); }

 private:
  static std::string stampFor(const Strings& args) {
    std::string stamp = std::string(kGreeterJava) + kWordsJava + kAdminJava;
    for (const std::string& path : {kBundle, std::string(KVX_BUILD_DIR "/kvx-launcher")}) {
      stamp += path + " " + std::to_string(fs::last_write_time(path).time_since_epoch().count()) + "\n";
    }
    for (const std::string& arg : args) stamp += arg + "\n";
    return stamp;
  }
  SharedDirectory directory_;
};

const std::string kSharedRoot = KVX_BUILD_DIR "/e2e-bundles/";

class Bundled : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!jars().error().empty()) GTEST_SKIP() << jars().error();
  }

  // The application bundle, made with jlink on JDK 17, with everything a
  // packager may give it.
  static const SharedBuild& app() {
    static SharedBuild build(
        "app",
        {"--name", "Greeter", "--input", input(), "--jdk", kJdk17, "--java-options", "-Dgreeting=hello",
         "--java-options", "-Dapp.root=${launcher:sys.appRootDir}", "--arguments", "first", "--identifier",
         "com.example.greeter", "--app-version", "1.2.3", "--description", "Greets whoever asks", "--vendor",
         "Example Ltd", "--icon", kSharedRoot + "app/greeter.png", "--verbose"},
        [](const std::string& dir) { writeFile(dir + "/greeter.png", std::string(kPng, sizeof kPng - 1)); });
    return build;
  }

  // The command-line tree, from an argument file, with a module jdeps cannot
  // see and a messages bundle of its own.
  static const SharedBuild& cli() {
    static SharedBuild build("cli", {"@" + kSharedRoot + "cli/cli.options"}, [](const std::string& dir) {
      writeFile(dir + "/cli.options", "# the command-line greeter\n--type cli\n--name greeter\n--input " + input() +
                                          "\n--jdk " + kJdk17 +
                                          "\n--add-modules jdk.zipfs\n--java-options \"-Dgreeting=hello there\"\n"
                                          "--messages " KVX_SOURCE_DIR "/tests/fixtures/Messages.bundle\n");
    });
    return build;
  }

  // The application bundle with a kind of document it opens and a further
  // launcher, whose class is in the second jar.
  static const SharedBuild& documents() {
    static SharedBuild build(
        "documents",
        {"--name", "Greeter", "--input", input(), "--jdk", kJdk17, "--identifier", "com.example.greeter", "--arguments",
         "first", "--icon", kSharedRoot + "documents/greeter.png", "--file-associations",
         kSharedRoot + "documents/greeting.properties", "--add-launcher", "admin=" + kSharedRoot + "documents/admin.properties"},
        [](const std::string& dir) { writeDocumentsAndLauncher(dir); });
    return build;
  }

  // The command-line tree with the same further launcher.
  static const SharedBuild& cliLaunchers() {
    static SharedBuild build("cli-launchers",
                             {"--type", "cli", "--name", "greeter", "--input", input(), "--jdk", kJdk17, "--add-launcher",
                              "admin=" + kSharedRoot + "cli-launchers/admin.properties"},
                             [](const std::string& dir) { writeDocumentsAndLauncher(dir); });
    return build;
  }

  // The command-line tree with extra content beside the input and jlink's
  // options of the packager's choosing (header files kept).
  static const SharedBuild& workings() {
    static SharedBuild build("workings",
                             {"--type", "cli", "--name", "greeter", "--input", input(), "--jdk", kJdk17, "--app-content",
                              kSharedRoot + "workings/NOTICE," + kSharedRoot + "workings/conf", "--jlink-options",
                              "--strip-debug --no-man-pages"},
                             [](const std::string& dir) {
                               writeFile(dir + "/NOTICE", "the notice\n");
                               writeFile(dir + "/conf/greeter.conf", "loud=yes\n");
                             });
    return build;
  }

  // The properties files, as a packager writes them: comments, a continued
  // line, each separator the format allows.
  static void writeDocumentsAndLauncher(const std::string& dir) {
    writeFile(dir + "/greeter.png", std::string(kPng, sizeof kPng - 1));
    writeFile(dir + "/greeting.properties", "# what Greeter opens\nextension = greet\nmime-type: application/x-greeting\n"
                                            "description=Greeting \\\n    card\nicon=" + dir + "/greeter.png\n");
    writeFile(dir + "/admin.properties", "main-class=com.example.words.Admin\njava-options=\"-Drole=the admin\"\n"
                                         "arguments=--admin\ndescription=Administers greetings\n");
  }

  TempDir dir;
};

TEST_F(Bundled, TheAppStartsOnItsOwnRuntimeWithItsOptionsAndArguments) {
  ASSERT_EQ(app().error(), "");
  const std::string bundlePath = app().dist("Greeter.app");
  ProgramResult started = run(bundlePath + "/Contents/MacOS/Greeter", {"second word"});
  ASSERT_EQ(started.status, 0) << started.err;
  for (const std::string& line :
       {std::string("greeting = hello"), "app.root = " + bundlePath + "/Contents/Resources/app",
        "kvx.jreBundle = " + bundlePath + "/Contents/PlugIns/jre.bundle",
        "java.home = " + bundlePath + "/Contents/PlugIns/jre.bundle/Contents/Home", std::string("date = 2024-02-29"),
        std::string("arguments = first|second word")}) {
    EXPECT_TRUE(printed(started.out, line)) << line << "\n" << started.out;
  }
}

TEST_F(Bundled, TheCommandLineTreeStartsAndStillStartsOnceMoved) {
  ASSERT_EQ(cli().error(), "");
  ProgramResult copy = runProgram("/bin/cp", {"-a", cli().dist("greeter"), dir / "moved"});
  ASSERT_EQ(copy.status, 0) << copy.err;
  for (const std::string& tree : {cli().dist("greeter"), dir / "moved"}) {
    ProgramResult started = run(tree + "/bin/greeter", {"a", "b"});
    ASSERT_EQ(started.status, 0) << started.err;
    EXPECT_TRUE(printed(started.out, "greeting = hello there")) << started.out;
    EXPECT_TRUE(printed(started.out, "kvx.jreBundle = " + tree + "/.kestrovel/jre")) << started.out;
    EXPECT_TRUE(printed(started.out, "java.home = " + tree + "/.kestrovel/jre")) << started.out;
    EXPECT_TRUE(printed(started.out, "arguments = a|b")) << started.out;
  }
  const std::string german = "/Contents/Resources/de.lproj/Localizable.strings";
  EXPECT_EQ(readFileOrMissing(dir / "moved/.kestrovel/Messages.bundle" + german),
            readFileOrMissing(KVX_SOURCE_DIR "/tests/fixtures/Messages.bundle" + german));
}

// No runtime of the machine is reachable: /usr/lib/jvm is an empty file
// system in a mount namespace of its own, JAVA_HOME is unset, and the
// application itself reports what it sees there.
TEST_F(Bundled, TheShippedRuntimeRunsWhenNoOtherIsReachable) {
  ASSERT_EQ(app().error(), "");
  ASSERT_EQ(cli().error(), "");
  const std::string hide = "mount -t tmpfs none /usr/lib/jvm && exec \"$@\"";
  if (run("/usr/bin/unshare", {"-m", "/bin/sh", "-c", hide, "sh", "/bin/true"}).status != 0) {
    GTEST_SKIP() << "no mount namespace to hide /usr/lib/jvm in (unshare -m needs privileges)";
  }
  for (const std::string& launcher :
       {app().dist("Greeter.app/Contents/MacOS/Greeter"), cli().dist("greeter/bin/greeter")}) {
    ProgramResult started = run("/usr/bin/unshare", {"-m", "/bin/sh", "-c", hide, "sh", launcher, "alone"});
    ASSERT_EQ(started.status, 0) << launcher << "\n" << started.err;
    EXPECT_TRUE(printed(started.out, "runtimes in /usr/lib/jvm = 0")) << started.out;
    EXPECT_TRUE(printed(started.out, "date = 2024-02-29")) << started.out;
    EXPECT_NE(started.out.find("kvx.jreBundle = " + fs::path(launcher).parent_path().parent_path().string()),
              std::string::npos)
        << started.out;
  }
}

// The release file's list of modules, space-separated.
std::string modulesOf(const std::string& home) {
  std::string release = readFileOrMissing(home + "/release");
  size_t at = release.find("MODULES=\"");
  return at == std::string::npos ? "" : " " + release.substr(at + 9, release.find('"', at + 9) - at - 9) + " ";
}

TEST_F(Bundled, TheRuntimeHoldsWhatJdepsFoundAndWhatWasAddedWithItsOwnArchive) {
  ASSERT_EQ(app().error(), "");
  ASSERT_EQ(cli().error(), "");
  const std::string appHome = app().dist("Greeter.app/Contents/PlugIns/jre.bundle/Contents/Home");
  const std::string cliHome = cli().dist("greeter/.kestrovel/jre");
  for (const std::string& home : {appHome, cliHome}) {
    SCOPED_TRACE(home);
    std::string modules = modulesOf(home);
    EXPECT_NE(modules.find(" java.sql "), std::string::npos) << modules;
    EXPECT_EQ(modules.find(" java.desktop "), std::string::npos) << modules;
    EXPECT_FALSE(fs::exists(home + "/include"));
    EXPECT_FALSE(fs::exists(home + "/man"));
    // -Xshare:on refuses to start without a usable archive.
    EXPECT_TRUE(fs::exists(home + "/lib/server/classes.jsa"));
    ProgramResult shared = run(home + "/bin/java", {"-Xshare:on", "-version"});
    EXPECT_EQ(shared.status, 0) << shared.err;
  }
  EXPECT_EQ(modulesOf(appHome).find(" jdk.zipfs "), std::string::npos);
  EXPECT_NE(modulesOf(cliHome).find(" jdk.zipfs "), std::string::npos);
}

TEST_F(Bundled, VerboseShowsEachStepWithItsTime) {
  ASSERT_EQ(app().error(), "");
  const std::string err = app().err();
  for (const char* step : {"jdeps", "jlink", "java -Xshare:dump", "copy"}) {
    EXPECT_NE(err.find(std::string("kvx-bundle: ") + step + ": "), std::string::npos) << step << "\n" << err;
    EXPECT_TRUE(std::regex_search(err, std::regex(std::string("kvx-bundle: ") + step + R"( took \d+\.\d\d s)")))
        << step << "\n" << err;
  }
  EXPECT_NE(err.find("kvx-bundle: modules the jars need: java.base,java.sql\n"), std::string::npos) << err;
  EXPECT_EQ(cli().err(), "");
}

// JAVA_VERSION of a runtime's release file.
std::string javaVersionOf(const std::string& home) {
  std::smatch m;
  std::string release = readFileOrMissing(home + "/release");
  return std::regex_search(release, m, std::regex("JAVA_VERSION=\"([^\"]+)\"")) ? m[1].str() : "";
}

// Python's plistlib reads the Info.plist files: an independent reader.
std::string plistValues(const std::string& path, const Strings& keys) {
  std::string script = "import plistlib,sys\nd=plistlib.load(open(sys.argv[1],'rb'))\n"
                       "for k in sys.argv[2:]:\n  v=d\n  for part in k.split('/'): v=v.get(part) if v else None\n"
                       "  print(k+'='+str(v))\n";
  Strings args = {"-c", script, path};
  args.insert(args.end(), keys.begin(), keys.end());
  ProgramResult python = runProgram("/usr/bin/python3", args);
  EXPECT_EQ(python.status, 0) << python.err;
  return python.out;
}

TEST_F(Bundled, TheBundleDescribesItselfWhereThePlatformLooks) {
  ASSERT_EQ(app().error(), "");
  const std::string bundlePath = app().dist("Greeter.app");
  EXPECT_EQ(plistValues(bundlePath + "/Contents/Info.plist",
                        {"CFBundleName", "CFBundleExecutable", "CFBundleIdentifier", "CFBundleShortVersionString",
                         "CFBundleGetInfoString", "CFBundleIconFile", "kvx.vendor", "kvx.startupCache",
                         "JavaVM/MainClass", "JavaVM/ClassPath"}),
            "CFBundleName=Greeter\nCFBundleExecutable=Greeter\nCFBundleIdentifier=com.example.greeter\n"
            "CFBundleShortVersionString=1.2.3\nCFBundleGetInfoString=Greets whoever asks\n"
            "CFBundleIconFile=Greeter.png\nkvx.vendor=Example Ltd\nkvx.startupCache=True\n"
            "JavaVM/MainClass=com.example.app.Greeter\n"
            "JavaVM/ClassPath=${launcher:sys.appRootDir}/greeter.jar:${launcher:sys.appRootDir}/libs/words.jar\n");
  EXPECT_EQ(plistValues(bundlePath + "/Contents/PlugIns/jre.bundle/Contents/Info.plist",
                        {"CFBundleExecutable", "JavaVM/JVMVersion"}),
            "CFBundleExecutable=libjli.so\nJavaVM/JVMVersion=" + javaVersionOf(kJdk17) + "\n");
  EXPECT_EQ(readFileOrMissing(bundlePath + "/Contents/Resources/Greeter.png"), std::string(kPng, sizeof kPng - 1));

  std::string entry = readFileOrMissing(bundlePath + "/Contents/Resources/com.example.greeter.desktop");
  EXPECT_NE(entry.find("Comment=Greets whoever asks\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("StartupWMClass=com-example-app-Greeter\n"), std::string::npos) << entry;
}

// Starts a desktop entry's Exec line with the arguments after the entry's
// path, read as the desktop reads it: the value's escapes, then Exec's
// quoting, then %% as one per cent sign.
const char kStartFromEntry[] = R"(import os, re, sys
line = [l[5:] for l in open(sys.argv[1]).read().split('\n') if l.startswith('Exec=')][0]
line = re.sub(r'\\(.)', lambda m: {'s': ' ', 'n': '\n', 't': '\t', 'r': '\r'}.get(m.group(1), m.group(1)), line)
words, word, quoted, i = [], None, False, 0
while i < len(line):
    c = line[i]
    if quoted and c == '\\' and line[i + 1] in '"`$\\':
        word, i = word + line[i + 1], i + 2
        continue
    if c == '"':
        quoted, word = not quoted, word or ''
    elif c == ' ' and not quoted:
        if word is not None:
            words.append(word)
        word = None
    else:
        word = (word or '') + c
    i += 1
if word is not None:
    words.append(word)
words = [w.replace('%%', '%') for w in words]
os.execv(words[0], words + sys.argv[2:])
)";

// The bundle moved to a folder whose name needs quoting in Exec, then put
// into a user's menu, started from there, put there again and taken away.
TEST_F(Bundled, AddToMenuWritesAValidEntryForTheRealPlaceAndRemoveTakesItAway) {
  ASSERT_EQ(app().error(), "");
  const fs::path place = dir / "Apps \"q\" 100% $HOME`x`";
  fs::create_directories(place);
  fs::copy(app().dist("Greeter.app"), place / "Greeter.app", fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  fs::create_symlink(place, dir / "link");
  const Environment home = {{"HOME", dir / "home"}, {"XDG_DATA_HOME", std::nullopt}};
  const std::string entry = dir / "home/.local/share/applications/com.example.greeter.desktop";

  for (int time = 0; time < 2; ++time) {  // a second time replaces the first
    ProgramResult added = bundle({"--add-to-menu", dir / "link/Greeter.app"}, home);
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_NE(added.out.find("wrote " + entry + "\n"), std::string::npos) << added.out;
  }
  std::string text = readFileOrMissing(entry);
  EXPECT_NE(text.find("Comment=Greets whoever asks\n"), std::string::npos) << text;
  if (fs::exists("/usr/bin/desktop-file-validate")) {
    ProgramResult valid = runProgram("/usr/bin/desktop-file-validate", {entry});
    EXPECT_EQ(valid.out + valid.err, "") << text;
  }
  // Started as the desktop would: Exec's one argument, unquoted by a shell.
  ProgramResult started = run("/usr/bin/env", {"python3", "-c", kStartFromEntry, entry, "from-menu"});
  EXPECT_EQ(started.status, 0) << started.err << text;
  EXPECT_TRUE(printed(started.out, "arguments = first|from-menu")) << started.out << text;

  ProgramResult removed = bundle({"--remove-from-menu", place / "Greeter.app"}, home);
  EXPECT_EQ(removed.status, 0) << removed.err;
  EXPECT_NE(removed.out.find("removed " + entry + "\n"), std::string::npos) << removed.out;
  for (const auto& file : fs::recursive_directory_iterator(dir / "home")) {
    EXPECT_TRUE(file.is_directory() || file.path().filename() == "mimeinfo.cache") << file.path();
  }
}

TEST_F(Bundled, AddToMenuPutsACommandLineTreeOnTheUsersPathAndLeavesOthersAlone) {
  ASSERT_EQ(cli().error(), "");
  ASSERT_EQ(app().error(), "");
  const Environment home = {{"HOME", dir / "home"}};
  const std::string command = dir / "home/.local/bin/greeter";
  ProgramResult added = bundle({"--add-to-menu", cli().dist("greeter")}, home);
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "wrote " + command + "\n");
  EXPECT_TRUE(printed(run(command, {"a"}).out, "arguments = a"));

  // Another application's entry of the same name, and a command that is no
  // link of ours: neither is replaced nor removed.
  const std::string entry = dir / "home/.local/share/applications/com.example.greeter.desktop";
  writeFile(entry, "[Desktop Entry]\nExec=/opt/other/greeter\n");
  ProgramResult foreign = bundle({"--remove-from-menu", app().dist("Greeter.app")}, home);
  EXPECT_EQ(foreign.status, 2);
  EXPECT_EQ(foreign.err, "kvx-bundle: " + entry + ": belongs to another application, and stays\n");
  EXPECT_TRUE(fs::exists(entry));
  ASSERT_EQ(bundle({"--remove-from-menu", cli().dist("greeter")}, home).status, 0);
  writeFile(command, "#!/bin/sh\n");
  ProgramResult occupied = bundle({"--add-to-menu", cli().dist("greeter")}, home);
  EXPECT_EQ(occupied.status, 2);
  EXPECT_EQ(readFileOrMissing(command), "#!/bin/sh\n");

  for (const auto& [args, message] : std::vector<std::pair<Strings, std::string>>{
           {{"--add-to-menu", dir / "nowhere"}, dir / "nowhere: no application there"},
           {{"--add-to-menu", dir.path()}, dir.path() + ": not an application kvx-bundle made"},
           {{"--add-to-menu", cli().dist("greeter"), "--name", "x"}, "--name does not go with --add-to-menu"}}) {
    ProgramResult refused = bundle(args, home);
    EXPECT_EQ(refused.status, 2) << args[1];
    EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
  }
}

// As the desktop opens documents with an entry: "%F" becomes their paths,
// one argument each, and nothing else is appended.
const std::string kOpenFromEntry =
    std::string(kStartFromEntry).substr(0, std::string(kStartFromEntry).find("os.execv(")) +
    "words = [x for w in words for x in (sys.argv[2:] if w == '%F' else [w])]\nos.execv(words[0], words)\n";

// The value a line "name = value" of output gives, or "".
std::string printedValue(const std::string& output, const std::string& name) {
  std::smatch m;
  return std::regex_search(output, m, std::regex("(^|\n)" + name + " = ([^\n]*)")) ? m[2].str() : "";
}

TEST_F(Bundled, ADocumentOpenedFromTheMenuReachesTheApplicationAndTheFurtherLauncherRunsItsOwnClass) {
  ASSERT_EQ(documents().error(), "");
  const std::string made = documents().dist("Greeter.app");
  const char* readTypes = "import plistlib,sys,json\n"
                          "print(json.dumps(plistlib.load(open(sys.argv[1],'rb'))['CFBundleDocumentTypes'], sort_keys=True))\n";
  EXPECT_EQ(runProgram("/usr/bin/python3", {"-c", readTypes, made + "/Contents/Info.plist"}).out,
            "[{\"CFBundleTypeExtensions\": [\"greet\"], \"CFBundleTypeIconFile\": \"application-x-greeting.png\", "
            "\"CFBundleTypeMIMETypes\": [\"application/x-greeting\"], \"CFBundleTypeName\": \"Greeting card\", "
            "\"CFBundleTypeRole\": \"Editor\"}]\n");
  EXPECT_EQ(readFileOrMissing(made + "/Contents/Resources/application-x-greeting.png"), std::string(kPng, sizeof kPng - 1));

  // Moved to a folder whose name needs quoting, then put into a menu.
  const fs::path place = dir / "Apps \"q\" 100%";
  fs::create_directories(place);
  fs::copy(made, place / "Greeter.app", fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  const Environment home = {{"HOME", dir / "home"}, {"XDG_DATA_HOME", std::nullopt}};
  ProgramResult added = bundle({"--add-to-menu", place / "Greeter.app"}, home);
  ASSERT_EQ(added.status, 0) << added.err;
  const std::string entry = dir / "home/.local/share/applications/com.example.greeter.desktop";
  const std::string adminEntry = dir / "home/.local/share/applications/com.example.greeter-admin.desktop";
  for (const std::string& file : {entry, adminEntry}) {
    ProgramResult valid = runProgram("/usr/bin/desktop-file-validate", {file});
    EXPECT_EQ(valid.status, 0) << file;
    EXPECT_EQ(valid.out + valid.err, "") << readFileOrMissing(file);
  }
  const std::string text = readFileOrMissing(entry);
  EXPECT_NE(text.find("\nMimeType=application/x-greeting;\n"), std::string::npos) << text;

  const std::string document = dir / "my card.greet";
  writeFile(document, "hello\n");
  ProgramResult opened = run("/usr/bin/env", {"python3", "-c", kOpenFromEntry, entry, document});
  EXPECT_EQ(opened.status, 0) << opened.err << text;
  EXPECT_TRUE(printed(opened.out, "arguments = first|" + document)) << opened.out << text;

  // The further launcher: its own class, options, arguments and icon's name,
  // on the runtime the application ships.
  const std::string adminText = readFileOrMissing(adminEntry);
  EXPECT_NE(adminText.find("\nName=admin\n"), std::string::npos) << adminText;
  EXPECT_NE(adminText.find("\nComment=Administers greetings\n"), std::string::npos) << adminText;
  EXPECT_EQ(adminText.find("MimeType="), std::string::npos) << adminText;
  ProgramResult admin = run("/usr/bin/env", {"python3", "-c", kOpenFromEntry, adminEntry, document});
  EXPECT_EQ(admin.status, 0) << admin.err << adminText;
  const std::string runtime = printedValue(opened.out, "java.home");
  EXPECT_TRUE(runtime.starts_with((place / "Greeter.app/Contents/PlugIns/jre.bundle/").string())) << opened.out;
  EXPECT_TRUE(printed(admin.out, "admin on " + runtime + " as the admin")) << admin.out;
  EXPECT_TRUE(printed(admin.out, "admin arguments = --admin")) << admin.out;

  ProgramResult removed = bundle({"--remove-from-menu", place / "Greeter.app"}, home);
  EXPECT_EQ(removed.status, 0) << removed.err;
  for (const auto& file : fs::recursive_directory_iterator(dir / "home")) {
    EXPECT_TRUE(file.is_directory() || file.path().filename() == "mimeinfo.cache") << file.path();
  }
}

TEST_F(Bundled, ACommandLineTreesFurtherLauncherRunsOnItsRuntimeWhereverTheTreeIs) {
  ASSERT_EQ(cliLaunchers().error(), "");
  fs::copy(cliLaunchers().dist("greeter"), dir / "moved", fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  ProgramResult admin = run(dir / "moved/bin/admin", {"x y"});
  EXPECT_EQ(admin.status, 0) << admin.err;
  EXPECT_TRUE(printed(admin.out, "admin on " + dir / "moved/.kestrovel/jre as the admin")) << admin.out;
  EXPECT_TRUE(printed(admin.out, "admin arguments = --admin|x y")) << admin.out;
  EXPECT_TRUE(printed(run(dir / "moved/bin/greeter", {"z"}).out, "arguments = z"));

  // Into the user's PATH: each command of the tree.
  const Environment home = {{"HOME", dir / "home"}};
  ProgramResult added = bundle({"--add-to-menu", dir / "moved"}, home);
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "wrote " + dir / "home/.local/bin/admin" + "\nwrote " + dir / "home/.local/bin/greeter" + "\n");
  EXPECT_TRUE(printed(run(dir / "home/.local/bin/admin", {}).out, "admin arguments = --admin"));
  ASSERT_EQ(bundle({"--remove-from-menu", dir / "moved"}, home).status, 0);
  EXPECT_TRUE(fs::is_empty(dir / "home/.local/bin"));
}

TEST_F(Bundled, EachRefusalOfADocumentOrLauncherIsOneLineAndLeavesNothingBehind) {
  writeFile(dir / "doc.properties", "extension=greet\nmime-type=application/x-greeting\n");
  writeFile(dir / "doc-icon.properties", "extension=greet\nmime-type=application/x-greeting\nicon=" + dir / "doc.properties\n");
  writeFile(dir / "missing-class.properties", "main-class=com.example.Missing\n");
  struct Case {
    Strings args;
    std::string message;
  } cases[] = {
      {{"--type", "cli", "--file-associations", dir / "doc.properties"},
       "--file-associations goes only with --type app, or a package with --linux-shortcut: documents are opened "
       "through a desktop entry, and a command-line tree has none"},
      {{"--file-associations", dir / "doc-icon.properties"},
       "--file-associations " + dir / "doc-icon.properties" + ": icon " + dir / "doc.properties" + ": not a PNG image"},
      {{"--add-launcher", "admin=" + dir / "missing-class.properties"},
       "--add-launcher admin=" + dir / "missing-class.properties" +
           ": main class com.example.Missing is in none of the jars of " + input() + ": greeter.jar, libs/words.jar"},
      {{"--add-launcher", "Greeter=" + dir / "missing-class.properties"},
       "--add-launcher Greeter=" + dir / "missing-class.properties" + ": Greeter is the application's own launcher"},
      {{"--add-launcher", "admin=" + dir / "nowhere.properties"}, "--add-launcher admin=" + dir / "nowhere.properties" + ": "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Strings args = {"--name", "Greeter", "--input", input(), "--dest", dir / "dest/sub", "--no-runtime"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProgramResult refused = bundle(args);
    EXPECT_EQ(refused.status, 2);
    if (c.message.ends_with(": ")) {
      EXPECT_TRUE(refused.err.starts_with("kvx-bundle: " + c.message)) << refused.err;
      EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    } else {
      EXPECT_EQ(refused.err, "kvx-bundle: " + c.message + "\n");
    }
  }
  EXPECT_FALSE(fs::exists(dir / "dest"));
}

TEST_F(Bundled, AppContentLiesBesideTheInputAndJlinkOptionsReplaceTheDefaults) {
  ASSERT_EQ(workings().error(), "");
  EXPECT_EQ(readFileOrMissing(workings().dist("greeter/NOTICE")), "the notice\n");
  EXPECT_EQ(readFileOrMissing(workings().dist("greeter/conf/greeter.conf")), "loud=yes\n");
  // The defaults leave out the header files; these options keep them.
  EXPECT_TRUE(fs::exists(workings().dist("greeter/.kestrovel/jre/include/jni.h")));
  EXPECT_FALSE(fs::exists(cli().dist("greeter/.kestrovel/jre/include")));
  ProgramResult started = run(workings().dist("greeter/bin/greeter"), {"a"});
  EXPECT_EQ(started.status, 0) << started.err;
  EXPECT_TRUE(printed(started.out, "arguments = a")) << started.out;
}

TEST_F(Bundled, AResourceDirectorysDesktopEntryTakesThePlaceOfTheGeneratedOne) {
  const std::string entry = "[Desktop Entry]\nType=Application\nName=Greeter, my way\nExec=greeter\n";
  writeFile(dir / "resources/Greeter.desktop", entry);
  ProgramResult made = bundle({"--name", "Greeter", "--input", input(), "--dest", dir / "dist", "--no-runtime",
                               "--resource-dir", dir / "resources", "--verbose"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(readFileOrMissing(dir / "dist/Greeter.app/Contents/Resources/Greeter.desktop"), entry);
  EXPECT_NE(made.err.find("Greeter.desktop in place of the generated"), std::string::npos) << made.err;
}

TEST_F(Bundled, APreparedRuntimeIsShippedInTheFormEachTypeNeeds) {
  ASSERT_EQ(app().error(), "");
  ASSERT_EQ(cli().error(), "");
  // The command-line tree's plain home becomes a runtime bundle, and the
  // bundle's home a plain one.
  ProgramResult madeApp = bundle({"--name", "Again", "--input", input(), "--dest", dir / "dist",
                                  "--runtime-image", cli().dist("greeter/.kestrovel/jre")});
  ASSERT_EQ(madeApp.status, 0) << madeApp.err;
  ProgramResult madeCli = bundle({"--type", "cli", "--name", "again", "--input", input(), "--dest",
                                  dir / "dist", "--runtime-image", app().dist("Greeter.app/Contents/PlugIns/jre.bundle")});
  ASSERT_EQ(madeCli.status, 0) << madeCli.err;

  ProgramResult startedApp = run(dir / "dist/Again.app/Contents/MacOS/Again", {});
  ASSERT_EQ(startedApp.status, 0) << startedApp.err;
  EXPECT_TRUE(printed(startedApp.out, "java.home = " + dir / "dist/Again.app/Contents/PlugIns/jre.bundle/Contents/Home"))
      << startedApp.out;
  ProgramResult startedCli = run(dir / "dist/again/bin/again", {});
  ASSERT_EQ(startedCli.status, 0) << startedCli.err;
  EXPECT_TRUE(printed(startedCli.out, "java.home = " + dir / "dist/again/.kestrovel/jre")) << startedCli.out;
}

// A plain runtime home of a release below the one the jars need: accepted
// by a launcher that did not know better, it would fail to load the class.
void layOutOldRuntime(const std::string& home) {
  writeFile(home + "/release", "JAVA_VERSION=\"11.0.2\"\n");
  fs::create_directories(home + "/lib");
  fs::copy_file(kJdk17 + "/lib/libjli.so", home + "/lib/libjli.so");
}

TEST_F(Bundled, WithoutARuntimeTheInstalledOnesServeWithinTheRangeTheClassesNeed) {
  ProgramResult made = bundle({"--type", "cli", "--name", "greeter", "--input", input(), "--dest",
                               dir / "dist", "--no-runtime"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_FALSE(fs::exists(dir / "dist/greeter/.kestrovel/jre"));

  ProgramResult withJavaHome = run(dir / "dist/greeter/bin/greeter", {"x"}, {{"JAVA_HOME", kJdk17}});
  ASSERT_EQ(withJavaHome.status, 0) << withJavaHome.err;
  EXPECT_TRUE(printed(withJavaHome.out, "java.home = " + kJdk17)) << withJavaHome.out;
  // The classes are compiled for 17: an older JAVA_HOME is passed over for
  // the installed runtimes.
  layOutOldRuntime(dir / "old-java");
  ProgramResult tooOld = run(dir / "dist/greeter/bin/greeter", {"x"}, {{"JAVA_HOME", dir / "old-java"}});
  ASSERT_EQ(tooOld.status, 0) << tooOld.err;
  EXPECT_TRUE(printed(tooOld.out, "date = 2024-02-29")) << tooOld.out;
  EXPECT_EQ(tooOld.out.find("java.home = " + dir / "old-java"), std::string::npos) << tooOld.out;

  // A range nobody meets: the launcher's English text says so, naming the application.
  ProgramResult picky = bundle({"--type", "cli", "--name", "picky", "--input", input(), "--dest",
                                dir / "dist", "--no-runtime", "--min-java", "99"});
  ASSERT_EQ(picky.status, 0) << picky.err;
  ProgramResult refused = run(dir / "dist/picky/bin/picky", {});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "ERROR: Java 99 or later is needed to run picky. Please install it and start the application again.\n");
}

// A JDK whose jdeps fails the way the real one does, with its own message.
void layOutFailingJdk(const std::string& home) {
  writeFile(home + "/release", "JAVA_VERSION=\"17.0.99\"\n");
  writeFile(home + "/bin/jdeps", "#!/bin/sh\necho 'Error: the jars could not be analysed'\necho '\tat Stack.trace' >&2\nexit 1\n");
  writeFile(home + "/bin/jlink", "#!/bin/sh\nexit 0\n");
  chmod((home + "/bin/jdeps").c_str(), 0755);
  chmod((home + "/bin/jlink").c_str(), 0755);
}

TEST_F(Bundled, EachRefusalIsOneLineAndLeavesNothingBehind) {
  const std::string jarsDir = input();
  writeFile(dir / "no-main/words.jar", readFileOrMissing(jarsDir + "/libs/words.jar"));
  fs::copy(jarsDir, dir / "broken", fs::copy_options::recursive);
  writeFile(dir / "broken/extra.jar", "not a zip");
  writeFile(dir / "jre-only/bin/java", "");
  layOutFailingJdk(dir / "failing-jdk");
  writeFile(dir / "taken/Greeter.app/mine", "kept");
  writeFile(dir / "bad-messages/Contents/Resources/en.lproj/Localizable.strings", "\"key\" = \"unclosed;\n");
  writeFile(dir / "config.plist", "<plist><dict><key>CFBundleName</key><string>x</string></dict></plist>");
  ProgramResult embedded = runProgram(KVX_BUILD_DIR "/kvx-embed", {dir / "config.plist", dir / "embedded"});
  ASSERT_EQ(embedded.status, 0) << embedded.err;
  struct Case {
    Strings args;
    std::string dest;
    std::string message;
  } cases[] = {
      {{"--input", dir / "nowhere"}, dir / "d1/sub", "--input " + dir / "nowhere" + ": no such directory"},
      {{"--input", jarsDir, "--main-class", "com.example.Missing"}, dir / "d2/sub",
       "main class com.example.Missing is in none of the jars of " + jarsDir + ": greeter.jar, libs/words.jar"},
      {{"--input", dir / "no-main"}, dir / "d3/sub",
       dir / "no-main/words.jar" + " names no Main-Class in its manifest; name the class with --main-class"},
      {{"--input", dir / "broken", "--main-jar", "greeter.jar"}, dir / "d4/sub",
       dir / "broken/extra.jar" + ": not a jar that can be read (Not a zip archive)"},
      {{"--input", jarsDir, "--jdk", dir / "jre-only"}, dir / "d5/sub",
       "--jdk " + dir / "jre-only" + ": it has no bin/jlink (a runtime rather than a JDK?)"},
      {{"--input", jarsDir, "--jdk", dir / "failing-jdk"}, dir / "d6/sub",
       "jdeps failed: the jars could not be analysed"},
      {{"--input", jarsDir, "--jdk", kJdk17, "--add-modules", "no.such.module"}, dir / "d7/sub",
       "jlink failed: Module no.such.module not found"},
      {{"--input", jarsDir, "--no-runtime", "--messages", dir / "bad-messages"}, dir / "d8/sub",
       dir / "bad-messages/Contents/Resources/en.lproj/Localizable.strings: "},
      {{"--input", jarsDir, "--no-runtime", "--stub", dir / "embedded"}, dir / "d9/sub",
       dir / "embedded" + ": carries a configuration already (a command-line launcher, not the plain stub)"},
      {{"--input", jarsDir, "--no-runtime"}, dir / "taken",
       dir / "taken/Greeter.app" + " exists already; kvx-bundle never replaces an application"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Strings args = {"--name", "Greeter", "--dest", c.dest};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProgramResult refused = bundle(args);
    EXPECT_EQ(refused.status, 2);
    // A message that ends in ": " is followed by the parser's own reason.
    if (c.message.ends_with(": ")) {
      EXPECT_TRUE(refused.err.starts_with("kvx-bundle: " + c.message)) << refused.err;
      EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    } else {
      EXPECT_EQ(refused.err, "kvx-bundle: " + c.message + "\n");
    }
    EXPECT_EQ(refused.out, "");
  }
  for (const char* made : {"d1", "d2", "d3", "d4", "d5", "d6", "d7", "d8", "d9"}) EXPECT_FALSE(fs::exists(dir / made)) << made;
  EXPECT_EQ(readFileOrMissing(dir / "taken/Greeter.app/mine"), "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "taken"), fs::directory_iterator()), 1);
}

// The first entry of dir whose name begins with prefix, or "".
std::string entryStartingWith(const std::string& dir, const std::string& prefix) {
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ignored)) {
    if (entry.path().filename().string().starts_with(prefix)) return entry.path().string();
  }
  return "";
}

TEST_F(Bundled, AnInterruptedRunLeavesNothingBehind) {
  RunningProgram making(kBundle, {"--name", "Greeter", "--input", input(), "--dest", dir / "dest/sub",
                                  "--jdk", kJdk17});
  // Interrupted while the runtime is being made, with the rest laid out.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  std::string partial;
  while (std::chrono::steady_clock::now() < deadline &&
         !fs::exists((partial = entryStartingWith(dir / "dest/sub", ".Greeter.app.partial-")) + "/Contents/PlugIns")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(fs::exists(partial + "/Contents/Info.plist")) << "the run never reached the runtime";
  kill(making.pid(), SIGINT);
  ProgramResult interrupted = making.wait();
  EXPECT_EQ(interrupted.status, 128 + SIGINT) << interrupted.err;
  EXPECT_EQ(interrupted.err, "kvx-bundle: interrupted by SIGINT\n");
  EXPECT_FALSE(fs::exists(dir / "dest"));
}

// Which options the help explains is tested against the option table
// (tests/tools); here, that the program prints all of it.
TEST(BundleTool, HelpShowsTheWholeTextAndNoArgumentsGiveTheUsage) {
  ProgramResult help = runProgram(kBundle, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: kvx-bundle --name NAME --input DIR --dest DIR")) << help.out;
  EXPECT_NE(help.out.find("\n  --name NAME "), std::string::npos) << help.out;
  EXPECT_TRUE(help.out.ends_with("2 with one line naming the problem otherwise.\n")) << help.out;
  ProgramResult none = runProgram(kBundle, {});
  EXPECT_EQ(none.status, 2);
  EXPECT_TRUE(none.err.starts_with("usage: kvx-bundle")) << none.err;
}

}  // namespace
}  // namespace kvx::test
