// The built launcher starting a real Java application on the machine's JDKs,
// through an application bundle: the sample application reports what it got.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";

// The major version a JDK home's release file names, or 0.
int majorVersionOf(const fs::path& home) {
  std::ifstream release(home / "release");
  for (std::string line; std::getline(release, line);) {
    if (line.rfind("JAVA_VERSION=\"", 0) == 0) return std::atoi(line.c_str() + 14);
  }
  return 0;
}

// The newest JDK of the machine above 17, or empty.
std::string newerJdk() {
  std::string best;
  int bestMajor = 17;
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib/jvm", ignored)) {
    int major = majorVersionOf(entry.path());
    if (major > bestMajor && fs::exists(entry.path() / "lib/libjli.so")) {
      best = entry.path().string();
      bestMajor = major;
    }
  }
  return best;
}

class LaunchRealJdk : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(kJdk17 + "/bin/javac")) return;
    classes = new TempDir();
    ProgramResult javac = runProgram(kJdk17 + "/bin/javac",
                                     {"-d", classes->path(), KVX_SOURCE_DIR "/demo/src/Demo.java"});
    ASSERT_EQ(javac.status, 0) << javac.err;
  }
  static void TearDownTestSuite() {
    delete classes;
    classes = nullptr;
  }
  void SetUp() override {
    if (classes == nullptr) GTEST_SKIP() << "no JDK 17 with javac at " << kJdk17;
  }

  AppBundle layOut(const std::string& jdk, plist::Dictionary javaVM, std::string base = "") {
    javaVM.emplace_back("SearchSequence", strings({"R" + jdk}));
    javaVM.emplace_back("MainClass", str("Demo"));
    javaVM.emplace_back("ClassPath", str(classes->path()));
    return layOutApp(base.empty() ? dir.path() : base, "Demo",
                     dict({{"CFBundleName", str("Demo")},
                           {"kvx.allowPassthrough", plist::Value::boolean(true)},
                           {"JavaVM", dict(std::move(javaVM))}}));
  }

  static ProgramResult run(const AppBundle& app, const Strings& args) {
    RunOptions options;
    // The virtual machine handles SIGSEGV itself and keeps its memory until exit.
    options.env = {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"},
                   {"KESTROVEL_LOG", std::nullopt},
                   {"JAVA_TOOL_OPTIONS", std::nullopt},
                   {"JDK_JAVA_OPTIONS", std::nullopt}};
    return runProgram(app.executable, args, options);
  }

  static bool printed(const ProgramResult& result, const std::string& line) {
    return ("\n" + result.out).find("\n" + line + "\n") != std::string::npos;
  }

  static TempDir* classes;
  TempDir dir;
};

TempDir* LaunchRealJdk::classes = nullptr;

TEST_F(LaunchRealJdk, TheApplicationGetsItsArgumentsAndClassPathAndItsStatusIsTheLaunchers) {
  AppBundle app = layOut(kJdk17, {{"ArgumentArray", strings({"configured"})},
                                  {"VMOptionArray", strings({"-Ddemo.configured=yes"})}});

  ProgramResult result = run(app, {"two words", "-J-Xmx48m", "--exit=5"});

  EXPECT_EQ(result.status, 5) << result.out << result.err;
  EXPECT_TRUE(printed(result, "java.home: " + kJdk17)) << result.out;
  EXPECT_TRUE(printed(result, "class path: " + classes->path())) << result.out;
  EXPECT_TRUE(printed(result, "working directory: " + app.path)) << result.out;
  EXPECT_TRUE(printed(result, "property demo.configured = yes")) << result.out;
  EXPECT_TRUE(printed(result, "arguments: 3")) << result.out;
  EXPECT_TRUE(printed(result, "argument: configured")) << result.out;
  EXPECT_TRUE(printed(result, "argument: two words")) << result.out;
  EXPECT_TRUE(printed(result, "argument: --exit=5")) << result.out;
  // The -J argument reached the virtual machine, not the application.
  size_t heap = result.out.find("max heap MiB: ");
  ASSERT_NE(heap, std::string::npos) << result.out;
  int mebibytes = std::atoi(result.out.c_str() + heap + 14);
  EXPECT_GT(mebibytes, 0);
  EXPECT_LE(mebibytes, 48);
}

TEST_F(LaunchRealJdk, TheRuntimesOwnLibraryExpandsArgumentFilesAmongTheOptionsOnly) {
  writeFile(dir / "vm.args", "-Ddemo.fromFile=yes\n");
  writeFile(dir / "notes.txt", "words of a note\n");
  AppBundle app = layOut(kJdk17, {});

  // The program's own "@" arguments reach it as typed, whether a file of
  // that name exists or not.
  std::string notes = "@" + dir.path() + "/notes.txt";
  ProgramResult result = run(app, {"-J@" + dir.path() + "/vm.args", "hello", "@bob", notes});

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(printed(result, "property demo.fromFile = yes")) << result.out << result.err;
  EXPECT_TRUE(printed(result, "arguments: 3")) << result.out;
  EXPECT_TRUE(printed(result, "argument: @bob")) << result.out;
  EXPECT_TRUE(printed(result, "argument: " + notes)) << result.out;
}

TEST_F(LaunchRealJdk, AVersionSpecificOptionAppliesToTheRuntimeItNames) {
  Strings jdks = {kJdk17};
  if (std::string newer = newerJdk(); !newer.empty()) jdks.push_back(newer);
  for (const std::string& jdk : jdks) {
    TempDir caseDir;
    AppBundle app =
        layOut(jdk,
               {{"VersionSpecificVMOptions",
                 plist::Value::array({str("*17.*"), strings({"-Ddemo.range=seventeen"}),
                                      str("18-99"), strings({"-Ddemo.range=newer"})})}},
               caseDir.path());
    ProgramResult result = run(app, {});
    std::string expected = majorVersionOf(jdk) == 17 ? "seventeen" : "newer";
    EXPECT_EQ(result.status, 0) << jdk << result.err;
    EXPECT_TRUE(printed(result, "java.home: " + jdk)) << result.out;
    EXPECT_TRUE(printed(result, "property demo.range = " + expected)) << jdk << "\n" << result.out;
  }
}

}  // namespace
}  // namespace kvx::test
