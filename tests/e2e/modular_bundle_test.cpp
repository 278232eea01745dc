// Modular applications made with kvx-bundle --module on the machine's real
// JDKs, started with no JDK reachable: one whose modules all declare
// themselves, linked into its runtime; one that needs an automatic module,
// kept on its module path; and a JavaFX window from the distribution's
// openjfx jars, shown on an X server with openjfx itself hidden.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_support/x_server.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

const std::string kBundle = KVX_BUILD_DIR "/kvx-bundle";
const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kJdk25 = "/usr/lib/jvm/temurin-25-jdk-amd64";
const std::string kOpenjfx = "/usr/share/openjfx/lib";

// Says which module it runs in, which runtime, and what it was given; with
// the automatic module's class when it needs one.
const char kModuleInfo[] = "module hello.mod { requires java.logging; }\n";
const char kNeedingModuleInfo[] = "module hello.mod { requires java.logging; requires words; }\n";
const char kMainJava[] = R"(package hello.mod;
public class Main {
  public static void main(String[] args) throws Exception {
    java.util.logging.Logger.getLogger("hello").fine("quiet");
    System.out.println("module = " + Main.class.getModule().getName());
    System.out.println("java.home = " + System.getProperty("java.home"));
    System.out.println("args = " + String.join(",", args));
    try {
      Class.forName("words.Words").getMethod("print").invoke(null);
    } catch (ClassNotFoundException e) {
      // made without the automatic module
    }
  }
}
)";
const char kWordsJava[] = R"(package words;
public class Words {
  public static void print() { System.out.println("words from " + Words.class.getModule()); }
}
)";
const char kWindowModuleInfo[] = "module hello.fx { requires javafx.controls; exports hello.fx; }\n";
const char kWindowJava[] = R"(package hello.fx;
public class Main extends javafx.application.Application {
  @Override public void start(javafx.stage.Stage stage) {
    stage.setTitle("Hello FX window");
    stage.setScene(new javafx.scene.Scene(new javafx.scene.control.Label("Hello from JavaFX"), 320, 120));
    stage.show();
    System.out.println("shown");
  }
  public static void main(String[] args) {
    // Never outlives a test that lost track of it.
    Thread guard = new Thread(() -> {
      try { Thread.sleep(180_000); } catch (InterruptedException e) { }
      System.exit(3);
    });
    guard.setDaemon(true);
    guard.start();
    launch(args);
  }
}
)";

// In a mount namespace of its own: every JDK, the openjfx jars and the
// system's JNI libraries hidden under empty file systems; then the command.
const char kHidden[] = R"(for d in /usr/lib/jvm /usr/share/openjfx /usr/share/java /usr/lib/*/jni; do
  if [ -d "$d" ]; then mount -t tmpfs none "$d" || exit 99; fi
done
exec "$@")";

Environment quietEnvironment() {
  return {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}, {"KESTROVEL_LOG", std::nullopt},
          {"JAVA_HOME", std::nullopt}, {"JAVA_TOOL_OPTIONS", std::nullopt}, {"JDK_JAVA_OPTIONS", std::nullopt},
          {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"XDG_CONFIG_HOME", "/nonexistent"}};
}

ProgramResult run(const std::string& program, const Strings& args, Environment extra = {}) {
  RunOptions options;
  options.env = quietEnvironment();
  options.env.insert(options.env.end(), extra.begin(), extra.end());
  return runProgram(program, args, options);
}

Strings hidden(const std::string& program, const Strings& args) {
  Strings all = {"-m", "/bin/sh", "-c", kHidden, "sh", program};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

bool canHide() {
  return geteuid() == 0 && run("/usr/bin/unshare", hidden("/bin/true", {})).status == 0;
}

bool printed(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

// Compiles the sources (path → text) of one module against the module path
// and puts it into jar, with mainClass as the module's main class when given.
std::string makeModuleJar(const std::string& work, const std::vector<std::pair<std::string, std::string>>& sources,
                          const std::string& modulePath, const std::string& jar, const std::string& mainClass = "") {
  Strings javac = {"--release", "17", "-d", work + "/classes"};
  if (!modulePath.empty()) javac.insert(javac.end(), {"-p", modulePath});
  for (const auto& [path, text] : sources) {
    writeFile(work + "/src/" + path, text);
    javac.push_back(work + "/src/" + path);
  }
  ProgramResult compiled = run(kJdk17 + "/bin/javac", javac);
  if (compiled.status != 0) return "javac: " + compiled.err;
  fs::create_directories(fs::path(jar).parent_path());
  Strings jarArgs = {"--create", "--file", jar};
  if (!mainClass.empty()) jarArgs.insert(jarArgs.end(), {"--main-class", mainClass});
  jarArgs.insert(jarArgs.end(), {"-C", work + "/classes", "."});
  ProgramResult packed = run(kJdk17 + "/bin/jar", jarArgs);
  return packed.status == 0 ? "" : "jar: " + packed.err;
}

class ModularBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kJdk17 + "/bin/jlink")) GTEST_SKIP() << "no JDK 17 with jlink at " << kJdk17;
  }

  ProgramResult bundle(const std::string& jdk, const Strings& args) {
    Strings all = {"--jdk", jdk, "--input", input, "--dest", dist};
    all.insert(all.end(), args.begin(), args.end());
    return run(kBundle, all);
  }

  TempDir dir;
  std::string input = dir / "input";
  std::string dist = dir / "dist";
};

// Every module declares itself: they are linked into the runtime, which is
// all the application needs, on both JDKs and in both trees.
TEST_F(ModularBundle, DeclaredModulesAreLinkedIntoTheRuntimeAndRunWithNoJdkReachable) {
  ASSERT_EQ(makeModuleJar(dir / "hello", {{"module-info.java", kModuleInfo}, {"hello/mod/Main.java", kMainJava}}, "",
                          dir / "outside/hello.mod.jar", "hello.mod.Main"),
            "");
  fs::create_directories(input);
  if (!canHide()) GTEST_SKIP() << "no mount namespace to hide the JDKs in (unshare -m needs root)";
  struct Case {
    std::string jdk;
    Strings type;
    std::string launcher;
    std::string home;
  };
  for (const Case& c : {Case{kJdk17, {"--name", "Hello"}, "Hello.app/Contents/MacOS/Hello",
                             "Hello.app/Contents/PlugIns/jre.bundle/Contents/Home"},
                        Case{kJdk25, {"--type", "cli", "--name", "hello"}, "hello/bin/hello", "hello/.kestrovel/jre"}}) {
    if (!fs::exists(c.jdk + "/bin/jlink")) continue;
    Strings args = c.type;
    args.insert(args.end(), {"--module", "hello.mod", "--module-path", dir / "outside"});
    ProgramResult made = bundle(c.jdk, args);
    ASSERT_EQ(made.status, 0) << c.jdk << "\n" << made.err;
    std::string release = readFileOrMissing(dist + "/" + c.home + "/release");
    EXPECT_NE(release.find(" hello.mod"), std::string::npos) << release;

    ProgramResult started = run("/usr/bin/unshare", hidden(dist + "/" + c.launcher, {"a", "@b"}));
    ASSERT_EQ(started.status, 0) << c.launcher << "\n" << started.err;
    EXPECT_TRUE(printed(started.out, "module = hello.mod")) << started.out;
    EXPECT_TRUE(printed(started.out, "args = a,@b")) << started.out;
    EXPECT_TRUE(printed(started.out, "java.home = " + dist + "/" + c.home)) << started.out;
  }
}

// An automatic module cannot be linked: the modules stay on the module path
// in the tree, the one from outside the input copied in, and jdeps reads
// them so that the runtime holds java.logging.
TEST_F(ModularBundle, WithAnAutomaticModuleTheModulesStayOnTheModulePathInTheTree) {
  ASSERT_EQ(makeModuleJar(dir / "words", {{"words/Words.java", kWordsJava}}, "", input + "/libs/words.jar"), "");
  ASSERT_EQ(makeModuleJar(dir / "hello", {{"module-info.java", kNeedingModuleInfo}, {"hello/mod/Main.java", kMainJava}},
                          input + "/libs", dir / "outside/hello-1.0.jar"),
            "");
  ProgramResult made = bundle(kJdk17, {"--type", "cli", "--name", "hello", "--module", "hello.mod/hello.mod.Main",
                                       "--module-path", "libs:" + dir.path() + "/outside"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(fs::exists(dist + "/hello/lib/.kestrovel/modules/hello-1.0.jar"));
  std::string modules = readFileOrMissing(dist + "/hello/.kestrovel/jre/release");
  EXPECT_NE(modules.find("java.logging"), std::string::npos) << modules;
  EXPECT_EQ(modules.find("hello.mod"), std::string::npos) << modules;

  ProgramResult started = canHide() ? run("/usr/bin/unshare", hidden(dist + "/hello/bin/hello", {"x"}))
                                    : run(dist + "/hello/bin/hello", {"x"});
  ASSERT_EQ(started.status, 0) << started.err;
  EXPECT_TRUE(printed(started.out, "module = hello.mod")) << started.out;
  EXPECT_TRUE(printed(started.out, "words from module words")) << started.out;
}

// Mistakes about the module are found before anything is made.
TEST_F(ModularBundle, AModuleThatIsNotThereOrNamesNoClassIsRefusedNamingIt) {
  ASSERT_EQ(makeModuleJar(dir / "hello", {{"module-info.java", kModuleInfo}, {"hello/mod/Main.java", kMainJava}}, "",
                          input + "/mods/hello.mod.jar"),
            "");
  struct Case {
    Strings args;
    std::string error;
  };
  for (const Case& c :
       {Case{{"--module", "other", "--module-path", "mods"},
             "kvx-bundle: --module other: no module other on --module-path (it holds: hello.mod)\n"},
        Case{{"--module", "hello.mod", "--module-path", "mods"},
             "kvx-bundle: --module hello.mod: " + input + "/mods/hello.mod.jar names no main class (jar --main-class); "
             "give it as --module hello.mod/CLASS\n"},
        Case{{"--module", "hello.mod", "--module-path", "missing"},
             "kvx-bundle: --module-path missing: no such file or directory\n"}}) {
    Strings args = {"--name", "Hello"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProgramResult refused = bundle(kJdk17, args);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, c.error);
    EXPECT_FALSE(fs::exists(dist));
  }
}

// Whether a window of that title appears on display within the time given.
bool windowAppears(const std::string& display, const std::string& title, std::chrono::seconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    ProgramResult search = run("/usr/bin/xdotool", {"search", "--name", title}, {{"DISPLAY", display}});
    if (search.status == 0 && !search.out.empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  return false;
}

// The distribution's jars carry no native libraries; the bundle brings them,
// so the window shows with openjfx and every JDK out of reach. openjfx 11
// runs on 25 as well (with the runtime's warning about native access).
TEST_F(ModularBundle, AJavaFXWindowFromTheDistributionsJarsShowsWithOpenjfxHidden) {
  if (!fs::exists(kOpenjfx + "/javafx.graphics.jar")) GTEST_SKIP() << "openjfx is not installed";
  if (!fs::exists("/usr/bin/xdotool")) GTEST_SKIP() << "xdotool is not installed";
  if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  if (!canHide()) GTEST_SKIP() << "no mount namespace to hide openjfx in (unshare -m needs root)";
  XServer x;
  ASSERT_TRUE(x.running());
  ASSERT_EQ(makeModuleJar(dir / "fx", {{"module-info.java", kWindowModuleInfo}, {"hello/fx/Main.java", kWindowJava}},
                          kOpenjfx, dir / "outside/hello.fx.jar", "hello.fx.Main"),
            "");
  fs::create_directories(input);
  struct Case {
    std::string jdk;
    Strings type;
    std::string launcher;
    std::string native;
  };
  for (const Case& c :
       {Case{kJdk17, {"--name", "HelloFX"}, "HelloFX.app/Contents/MacOS/HelloFX",
             "HelloFX.app/Contents/Resources/app/.kestrovel/native"},
        Case{kJdk25, {"--type", "cli", "--name", "hellofx"}, "hellofx/bin/hellofx", "hellofx/lib/.kestrovel/native"}}) {
    if (!fs::exists(c.jdk + "/bin/jlink")) continue;
    Strings args = c.type;
    args.insert(args.end(), {"--module", "hello.fx", "--module-path", kOpenjfx + ":" + dir.path() + "/outside"});
    ProgramResult made = bundle(c.jdk, args);
    ASSERT_EQ(made.status, 0) << c.jdk << "\n" << made.err;
    EXPECT_TRUE(fs::exists(dist + "/" + c.native + "/libglass.so"));
    EXPECT_FALSE(fs::exists(dist + "/" + c.native + "/libjfxwebkit.so")) << "nothing requires javafx.web";

    RunOptions options;
    options.env = quietEnvironment();
    options.env.emplace_back("DISPLAY", x.display());
    RunningProgram app("/usr/bin/unshare", hidden(dist + "/" + c.launcher, {}), options);
    bool shown = windowAppears(x.display(), "Hello FX window", std::chrono::seconds(90));
    kill(app.pid(), SIGTERM);
    ProgramResult ended = app.wait();
    EXPECT_TRUE(shown) << c.jdk << "\n" << ended.out << ended.err;
    EXPECT_TRUE(printed(ended.out, "shown")) << ended.out << ended.err;
  }
}

}  // namespace
}  // namespace kvx::test
