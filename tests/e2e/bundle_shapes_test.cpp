// Applications made by kvx-bundle meeting their user as real applications
// need: started from the user's folder with a file named relative to it,
// finding their own files under one name in both types, and telling the
// packager about modules jdeps cannot see. On the machine's real JDK.
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
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kBundle = KVX_BUILD_DIR "/kvx-bundle";

// Says where it runs, what its configuration file holds, what each file
// named on its command line holds, and whether it has a system compiler.
const char kNotesJava[] = R"(package com.example.notes;

import java.nio.file.*;

public class Notes {
  static String contents(String name) throws Exception {
    Path path = Paths.get(name);
    return Files.isRegularFile(path) ? Files.readString(path).trim() : "missing";
  }

  public static void main(String[] args) throws Exception {
    System.out.println("user.dir = " + System.getProperty("user.dir"));
    System.out.println("conf = " + contents(System.getProperty("notes.conf", "")));
    for (String arg : args) {
      if (arg.equals("--compiler")) {
        System.out.println("compiler = " + (javax.tools.ToolProvider.getSystemJavaCompiler() != null));
      } else {
        System.out.println(arg + " = " + contents(arg));
      }
    }
  }
}
)";

// A real virtual machine handles SIGSEGV itself and keeps its memory until exit.
Environment quietEnvironment() {
  return {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}, {"KESTROVEL_LOG", std::nullopt},
          {"JAVA_HOME", std::nullopt}, {"JAVA_TOOL_OPTIONS", std::nullopt}, {"JDK_JAVA_OPTIONS", std::nullopt},
          {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
}

ProgramResult bundle(const Strings& args) {
  RunOptions options;
  options.env = {{"JAVA_HOME", std::nullopt}, {"JAVA_TOOL_OPTIONS", std::nullopt}};
  return runProgram(kBundle, args, options);
}

// The program started in directory, as a user in a shell starts it.
ProgramResult startIn(const std::string& directory, const std::string& program, const Strings& args,
                      Environment extra = {}) {
  RunOptions options;
  options.env = quietEnvironment();
  options.env.insert(options.env.end(), extra.begin(), extra.end());
  Strings shell = {"-c", "cd \"$0\" && exec \"$@\"", directory, program};
  shell.insert(shell.end(), args.begin(), args.end());
  return runProgram("/bin/sh", shell, options);
}

bool printed(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

class BundleShapes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kJdk17 + "/bin/jlink")) GTEST_SKIP() << "no JDK 17 with jlink at " << kJdk17;
    writeFile(dir / "src/com/example/notes/Notes.java", kNotesJava);
    fs::create_directories(dir / "input");
    for (const Strings& args : std::vector<Strings>{
             {kJdk17 + "/bin/javac", "-d", dir / "classes", dir / "src/com/example/notes/Notes.java"},
             {kJdk17 + "/bin/jar", "--create", "--file", dir / "input/notes.jar", "--main-class",
              "com.example.notes.Notes", "-C", dir / "classes", "."}}) {
      ProgramResult step = runProgram(args[0], Strings(args.begin() + 1, args.end()));
      ASSERT_EQ(step.status, 0) << step.err;
    }
    writeFile(dir / "input/conf/notes.conf", "from the application's own files");
    writeFile(dir / "input/notes.txt", "the copy inside the application");
    writeFile(dir / "home/notes.txt", "the user's own notes");
  }

  // Makes the application of the type (app or cli); its launcher's path.
  std::string make(const std::string& type, Strings more) {
    std::string dest = dir / ("dist-" + std::to_string(made++));
    Strings args = {"--name", "Notes", "--type", type, "--input", dir / "input", "--dest", dest,
                    "--java-options", "-Dnotes.conf=${launcher:kvx.appDir}/conf/notes.conf"};
    args.insert(args.end(), more.begin(), more.end());
    ProgramResult made = bundle(args);
    EXPECT_EQ(made.status, 0) << made.err;
    lastErr = made.err;
    return type == "app" ? dest + "/Notes.app/Contents/MacOS/Notes" : dest + "/Notes/bin/Notes";
  }
  static std::string inputCopyOf(const std::string& launcher, const std::string& type) {
    std::string top = fs::path(launcher).parent_path().parent_path();
    return type == "app" ? top + "/Resources/app" : top + "/lib";
  }

  TempDir dir;
  int made = 0;
  std::string lastErr;
};

// One --java-options value names the input's files in both types, and a
// file the user names is found in the user's folder, unless the packager
// chose the application's own.
TEST_F(BundleShapes, TheUsersFolderAndTheApplicationsFilesAreFoundInBothTypes) {
  Environment runtime = {{"JAVA_HOME", kJdk17}};
  for (const std::string type : {"app", "cli"}) {
    std::string launcher = make(type, {"--no-runtime"});
    ProgramResult result = startIn(dir / "home", launcher, {"notes.txt"}, runtime);
    EXPECT_EQ(result.status, 0) << type << "\n" << result.err;
    EXPECT_TRUE(printed(result.out, "user.dir = " + dir / "home")) << type << "\n" << result.out;
    EXPECT_TRUE(printed(result.out, "notes.txt = the user's own notes")) << type << "\n" << result.out;
    EXPECT_TRUE(printed(result.out, "conf = from the application's own files")) << type << "\n" << result.out;

    launcher = make(type, {"--no-runtime", "--working-dir", "."});
    result = startIn(dir / "home", launcher, {"notes.txt", "conf/notes.conf"}, runtime);
    EXPECT_EQ(result.status, 0) << type << "\n" << result.err;
    EXPECT_TRUE(printed(result.out, "user.dir = " + inputCopyOf(launcher, type))) << type << "\n" << result.out;
    EXPECT_TRUE(printed(result.out, "notes.txt = the copy inside the application")) << type << "\n" << result.out;
    EXPECT_TRUE(printed(result.out, "conf/notes.conf = from the application's own files")) << type << "\n" << result.out;
  }
}

TEST_F(BundleShapes, DefaultArgumentsStandInOnlyWhenTheUserGivesNone) {
  std::string launcher = make("cli", {"--no-runtime", "--default-arguments", "${launcher:kvx.appDir}/notes.txt",
                                      "--allow-passthrough"});
  Environment runtime = {{"JAVA_HOME", kJdk17}};
  ProgramResult none = startIn(dir / "home", launcher, {"-J-Dnotes.conf=notes.txt"}, runtime);
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_TRUE(printed(none.out, inputCopyOf(launcher, "cli") + "/notes.txt = the copy inside the application"))
      << none.out;
  EXPECT_TRUE(printed(none.out, "conf = the user's own notes")) << "the -J option came last\n" << none.out;
  ProgramResult given = startIn(dir / "home", launcher, {"notes.txt"}, runtime);
  EXPECT_EQ(given.out.find("the copy inside"), std::string::npos) << given.out;
  EXPECT_TRUE(printed(given.out, "notes.txt = the user's own notes")) << given.out;
}

// The jar asks javax.tools for the system compiler: jdeps finds
// java.compiler, but the compiler itself is jdk.compiler.
TEST_F(BundleShapes, AModuleReachedOnlyByNameIsNamedAndTheDefaultSetHoldsIt) {
  std::string launcher = make("cli", {"--verbose"});
  EXPECT_NE(lastErr.find("kvx-bundle: modules the jars reach by name: jdk.compiler (javax.tools.ToolProvider in "
                         "notes.jar)\n"),
            std::string::npos)
      << lastErr;
  EXPECT_NE(lastErr.find("kvx-bundle: warning: the runtime lacks modules the jars reach by name, which jdeps cannot "
                         "see: jdk.compiler (javax.tools.ToolProvider in notes.jar)"),
            std::string::npos)
      << lastErr;
  ProgramResult trimmed = startIn(dir / "home", launcher, {"--compiler"});
  EXPECT_TRUE(printed(trimmed.out, "compiler = false")) << trimmed.out << trimmed.err;

  launcher = make("cli", {"--default-modules"});
  EXPECT_EQ(lastErr.find("warning"), std::string::npos) << lastErr;
  ProgramResult full = startIn(dir / "home", launcher, {"--compiler"});
  EXPECT_TRUE(printed(full.out, "compiler = true")) << full.out << full.err;
}

}  // namespace
}  // namespace kvx::test
