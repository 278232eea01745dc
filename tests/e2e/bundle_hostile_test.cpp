// kvx-bundle where things go wrong around it: started under nohup or by a
// parent that ignores SIGCHLD, with JDK tools that flood it or will not end,
// with DEST swapped during the build, with names a launcher could not read,
// and with paths that look like variables. Each case runs the built
// binaries from a shell, under timeout, and checks what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kBundle = KVX_BUILD_DIR "/kvx-bundle";

const char kHelloJava[] = R"(public class Hello {
  public static void main(String[] args) {
    System.out.println("hello " + System.getProperty("greeting") + " " + String.join(",", args));
  }
}
)";

// Single quotes for the shell, around any text.
std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A script run by /bin/sh in dir, under timeout, with the tools' environment.
ProgramResult shell(const std::string& dir, const std::string& script) {
  RunOptions options;
  options.env = {{"JAVA_HOME", std::nullopt},   {"JAVA_TOOL_OPTIONS", std::nullopt}, {"KESTROVEL_LOG", std::nullopt},
                 {"DISPLAY", std::nullopt},     {"WAYLAND_DISPLAY", std::nullopt},  {"KVX", kBundle},
                 {"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}};
  return runProgram("/usr/bin/timeout", {"300", "/bin/sh", "-c", "cd " + quoted(dir) + " || exit 99\n" + script}, options);
}

// A JDK whose jdeps runs script first (then the real one, unless the
// script ends), with the real JDK's jlink and libraries.
void layOutJdk(const std::string& home, const std::string& jdepsScript) {
  writeFile(home + "/release", readFileOrMissing(kJdk17 + "/release"));
  writeFile(home + "/bin/jdeps", "#!/bin/sh\n" + jdepsScript + "\nexec " + kJdk17 + "/bin/jdeps \"$@\"\n");
  writeFile(home + "/bin/jlink", "#!/bin/sh\nexec " + kJdk17 + "/bin/jlink \"$@\"\n");
  fs::permissions(home + "/bin/jdeps", fs::perms(0755));
  fs::permissions(home + "/bin/jlink", fs::perms(0755));
  fs::create_directory_symlink(kJdk17 + "/lib", home + "/lib");
}

class HostileBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kJdk17 + "/bin/jlink")) GTEST_SKIP() << "no JDK 17 at " << kJdk17;
    writeFile(dir / "src/Hello.java", kHelloJava);
    ProgramResult made = shell(dir.path(), "mkdir app && " + kJdk17 + "/bin/javac -d classes src/Hello.java && " + kJdk17 +
                                               "/bin/jar --create --file app/hello.jar --main-class Hello -C classes .");
    ASSERT_EQ(made.status, 0) << made.err;
  }

  TempDir dir;
};

TEST_F(HostileBundle, SignalsTheCallerIgnoredDoNotStopTheBuild) {
  // The fake jdeps tells when it runs and waits for the signal to have been sent.
  layOutJdk(dir / "jdk", "touch running; while [ ! -e go ]; do sleep 0.05; done");
  const struct {
    const char* how;
    const char* start;
    const char* signal;
  } cases[] = {
      {"nohup, then a hang-up", "nohup \"$KVX\"", "HUP"},
      // A shell without job control starts its background jobs with SIGINT ignored.
      {"a script's background job, then an interrupt", "\"$KVX\"", "INT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    fs::remove_all(dir / "out");
    fs::remove(dir / "running");
    fs::remove(dir / "go");
    ProgramResult run = shell(dir.path(), std::string(c.start) +
                                              " --name Hello --input app --dest out --jdk jdk >log 2>&1 & pid=$!\n"
                                              "while [ ! -e running ]; do sleep 0.05; done\n"
                                              "kill -" + c.signal + " $pid; touch go; wait $pid; echo status $?; cat log\n"
                                              "out/Hello.app/Contents/MacOS/Hello there");
    EXPECT_EQ(run.out, "status 0\nhello null there\n") << run.err;
  }
}

TEST_F(HostileBundle, AParentThatIgnoresSigchldDoesNotMakeTheToolsFail) {
  // Not "trap '' CHLD": dash passes no ignored SIGCHLD on to what it starts.
  ProgramResult run = shell(dir.path(), quoted(KVX_BUILD_DIR "/ignoring-sigchld") +
                                            " \"$KVX\" --type cli --name hello --input app --dest out --jdk " + kJdk17 +
                                            " && out/hello/bin/hello ok");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "hello null ok\n");
}

// The sanitizers reserve far more address space than any such bound leaves;
// under them the flood is still heard, only not within the bound.
#if defined(__SANITIZE_ADDRESS__)
const char kMemoryBound[] = "";
#else
const char kMemoryBound[] = "ulimit -v 400000; ";
#endif

TEST_F(HostileBundle, AToolThatFloodsItsOutputIsHeardWithinBoundedMemory) {
  // 300 MB of output, then its complaint; kvx-bundle may take 400 MB in all.
  layOutJdk(dir / "jdk", "yes 'a line of output' | head -c 300000000; echo 'Error: the flood is over' >&2; exit 1");
  ProgramResult run =
      shell(dir.path(), std::string(kMemoryBound) + "\"$KVX\" --name Hello --input app --dest out/sub --jdk jdk");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "kvx-bundle: jdeps failed: the flood is over\n");
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(HostileBundle, AToolThatIgnoresTheRequestToEndIsKilledAfterAnInterruption) {
  layOutJdk(dir / "jdk", "trap '' TERM; echo $$ > running; exec sleep 600");
  ProgramResult run = shell(dir.path(),
                            "\"$KVX\" --name Hello --input app --dest out/sub --jdk jdk 2>log & pid=$!\n"
                            "while [ ! -s running ]; do sleep 0.05; done\n"
                            "kill -TERM $pid; wait $pid; echo status $?; cat log\n"
                            "kill -0 $(cat running) 2>/dev/null && echo the tool runs on");
  EXPECT_EQ(run.out, "status 143\nkvx-bundle: interrupted by SIGTERM\n") << run.err;
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(HostileBundle, ADestLinkSwappedDuringTheBuildLeavesTheAppWholeWhereItBegan) {
  fs::create_directories(dir / "first");
  fs::create_directories(dir / "second");
  fs::create_directory_symlink("first", dir / "dest");
  layOutJdk(dir / "jdk", "ln -sfn second " + quoted(dir / "dest"));
  ProgramResult run = shell(dir.path(), "\"$KVX\" --name Hello --input app --dest dest --jdk jdk; echo status $?; "
                                        "readlink dest; first/Hello.app/Contents/MacOS/Hello whole");
  EXPECT_EQ(run.out, "status 0\nsecond\nhello null whole\n") << run.err;
  EXPECT_TRUE(fs::exists(dir / "first/Hello.app/Contents/Info.plist"));
  EXPECT_TRUE(fs::is_empty(dir / "second"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "first"), fs::directory_iterator()), 1);
}

// Installed under a folder, or named, with what looks like a variable: the
// class path entry and the options file beside the launcher are the
// launcher's own paths and must be used as they are.
TEST_F(HostileBundle, PathsThatLookLikeVariablesStartOnARealRuntime) {
  fs::copy(dir / "app", dir / "${HOME}");
  const struct {
    const char* what;
    std::string name, input, dest, launcher;
  } cases[] = {
      {"a name", "x${HOME}y", "app", "d1", "d1/x${HOME}y/bin/x${HOME}y"},
      {"an input folder", "hello", "${HOME}", "d2", "d2/hello/bin/hello"},
      {"an installation folder", "hello", "app", "cost ${HOME} x", "cost ${HOME} x/hello/bin/hello"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramResult made = shell(dir.path(), "\"$KVX\" --type cli --no-runtime --name " + quoted(c.name) + " --input " +
                                               quoted(c.input) + " --dest " + quoted(c.dest));
    ASSERT_EQ(made.status, 0) << made.err;
    writeFile(dir / (c.launcher + ".vmoptions"), "-Dgreeting=beside\n");
    ProgramResult started = shell(dir.path(), quoted("./" + c.launcher) + " started");
    EXPECT_EQ(started.out, "hello beside started\n") << started.err;
  }
  ProgramResult app = shell(dir.path(), "\"$KVX\" --no-runtime --name 'App ${HOME}' --input app --dest 'cost ${HOME} x' "
                                        "&& './cost ${HOME} x/App ${HOME}.app/Contents/MacOS/App ${HOME}' bundled");
  EXPECT_EQ(app.out, "hello null bundled\n") << app.err;
}

TEST_F(HostileBundle, WhatTheLauncherCouldNotReadIsRefusedNamingIt) {
  fs::copy(dir / "app", dir / "odd");
  writeFile(dir / "odd/caf\xe9.txt", "x");
  const Strings plain = {"--name", "Hello", "--input", "app"};
  const struct {
    Strings args;
    std::string message;
  } cases[] = {
      {{"--name", "Caf\xe9", "--input", "app"},
       "--name \"Caf\\xe9\": not UTF-8, which the launcher reads its configuration as"},
      {{"--java-options", "-Dx=\xff"},
       "--java-options \"-Dx=\\xff\": not UTF-8, which the launcher reads its configuration as"},
      {{"--arguments", "\xc3("}, "--arguments \"\\xc3(\": not UTF-8, which the launcher reads its configuration as"},
      {{"--description", "\xe2\x82"},
       "--description \"\\xe2\\x82\": not UTF-8, which the launcher reads its configuration as"},
      {{"--name", "Hello", "--input", "odd"},
       "odd/caf\\xe9.txt: a file name that is not UTF-8; the application could not name it"},
      {{"--identifier", ".."},
       "--identifier \"..\": only letters, digits, \"-\" and \".\", not first (a reverse domain name such as "
       "com.example.hello)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    std::string script = "\"$KVX\" --no-runtime --dest out/sub";
    Strings args = c.args[0] == "--name" ? c.args : plain;
    if (c.args[0] != "--name") args.insert(args.end(), c.args.begin(), c.args.end());
    for (const std::string& arg : args) script += " " + quoted(arg);
    ProgramResult refused = shell(dir.path(), script);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "kvx-bundle: " + c.message + "\n");
    EXPECT_FALSE(fs::exists(dir / "out"));
  }
}

TEST_F(HostileBundle, AnInputLinkingToDestIsRefusedBeforeAnythingIsMade) {
  fs::create_directories(dir / "outer/dist");
  fs::copy(dir / "app", dir / "linked");
  fs::create_directory_symlink(dir / "outer/dist", dir / "linked/out");
  // DEST is made when missing: a link above it leads there all the same.
  fs::copy(dir / "app", dir / "above");
  fs::create_directory_symlink(dir / "outer", dir / "above/up");
  for (const char* input : {"linked", "above"}) {
    ProgramResult refused =
        shell(dir.path(), "\"$KVX\" --no-runtime --name Hello --dest outer/dist/new --input " + std::string(input));
    EXPECT_EQ(refused.status, 2) << input;
    EXPECT_NE(refused.err.find(" leads to --dest outer/dist/new or above it: the application would be copied into itself\n"),
              std::string::npos)
        << refused.err;
  }
  EXPECT_TRUE(fs::is_empty(dir / "outer/dist"));
}

TEST_F(HostileBundle, ADistributionsJdkShipsAsItIsLessItsLinksToNothing) {
  if (!fs::is_symlink(kJdk17 + "/lib/src.zip") || fs::exists(kJdk17 + "/lib/src.zip")) {
    GTEST_SKIP() << kJdk17 << "/lib/src.zip is no link to nothing here";
  }
  ProgramResult run = shell(dir.path(), "\"$KVX\" --verbose --type cli --name hello --input app --dest out --runtime-image " +
                                            kJdk17 + " && out/hello/bin/hello shipped");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("kvx-bundle: left out " + kJdk17 + "/lib/src.zip: a link to nothing\n"), std::string::npos)
      << run.err;
  EXPECT_TRUE(run.out.ends_with("hello null shipped\n")) << run.out;
}

TEST(BundleVersion, IsShownAndEndsWithStatusZero) {
  ProgramResult version = runProgram(kBundle, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("kvx-bundle ")) << version.out;
  EXPECT_EQ(version.err, "");
}

}  // namespace
}  // namespace kvx::test
