// The installed tree, as a packager gets it from `cmake --install`: where
// each file lands, that the installed tools work together from wherever the
// tree is moved to, and that the stub needs nothing at run time beyond the
// system's C runtime.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kStubInPrefix = "libexec/kestrovel/kvx-launcher";
const std::string kEmbedInPrefix = "bin/kvx-embed";
const std::string kBundleInPrefix = "bin/kvx-bundle";
const std::string kDocsInPrefix = "share/doc/kestrovel";

// The first executable called name on PATH, or "" when there is none.
std::string onPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::istringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    std::string candidate = dir + "/" + name;
    if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

class Installed : public ::testing::Test {
 protected:
  // One installation for the whole suite, moved away from the prefix it was
  // installed to, so that every test also shows that nothing in it depends on
  // that prefix.
  static void SetUpTestSuite() {
    root = std::make_unique<TempDir>();
    std::string cmake = onPath("cmake");
    if (cmake.empty()) {
      installError = "cmake is not on PATH";
      return;
    }
    ProgramResult install =
        runProgram(cmake, {"--install", KVX_BUILD_DIR, "--prefix", *root / "staged"});
    if (install.status != 0) {
      installError = "cmake --install failed:\n" + install.out + install.err;
      return;
    }
    fs::rename(*root / "staged", *root / "moved");
  }
  static void TearDownTestSuite() { root.reset(); }
  void SetUp() override {
    if (!installError.empty()) FAIL() << installError;
  }

  static std::string prefix(const std::string& relative) { return *root / ("moved/" + relative); }

  static std::unique_ptr<TempDir> root;
  static std::string installError;
};
std::unique_ptr<TempDir> Installed::root;
std::string Installed::installError;

// Every regular file under dir, as paths relative to it.
std::set<std::string> filesUnder(const std::string& dir) {
  std::set<std::string> files;
  if (!fs::exists(dir)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), dir).string());
  }
  return files;
}

TEST_F(Installed, ToolsOnPathStubInLibexecDocsUnderShare) {
  EXPECT_EQ(access(prefix(kEmbedInPrefix).c_str(), X_OK), 0);
  EXPECT_EQ(access(prefix(kBundleInPrefix).c_str(), X_OK), 0);
  EXPECT_EQ(access(prefix(kStubInPrefix).c_str(), X_OK), 0);
  // The stub is copied into applications, never run from PATH.
  EXPECT_EQ(filesUnder(prefix("bin")), (std::set<std::string>{"kvx-bundle", "kvx-embed"}));

  std::set<std::string> expectedDocs = {"README.md"};
  for (const std::string& file : filesUnder(KVX_SOURCE_DIR "/docs")) expectedDocs.insert(file);
  EXPECT_EQ(filesUnder(prefix(kDocsInPrefix)), expectedDocs);
  EXPECT_EQ(readFileOrMissing(prefix(kDocsInPrefix + "/README.md")),
            readFileOrMissing(KVX_SOURCE_DIR "/README.md"));
}

// The program the installed launchers start on a real runtime.
const char kMainJava[] =
    "public class Main { public static void main(String[] a) {\n"
    "  System.out.println(\"hello \" + String.join(\",\", a)); } }\n";

std::string configuration(const std::string& classes) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<plist version=\"1.0\"><dict><key>CFBundleName</key><string>Hello</string>"
         "<key>JavaVM</key><dict><key>MainClass</key><string>Main</string>"
         "<key>ClassPath</key><string>" + classes + "</string>"
         "<key>SearchSequence</key><array><string>R" + kJdk17 + "</string></array>"
         "</dict></dict></plist>\n";
}

TEST_F(Installed, TheInstalledStubStartsAJavaProgramOnBothRoads) {
  if (!fs::exists(kJdk17 + "/bin/javac")) GTEST_SKIP() << "no JDK 17 with javac at " << kJdk17;
  TempDir work;
  writeFile(work / "Main.java", kMainJava);
  ProgramResult javac =
      runProgram(kJdk17 + "/bin/javac", {"-d", work / "classes", work / "Main.java"});
  ASSERT_EQ(javac.status, 0) << javac.err;
  writeFile(work / "config.plist", configuration(work / "classes"));

  // The bundle road: the stub copied into an application bundle.
  const std::string bundled = work / "Hello.app/Contents/MacOS/Hello";
  writeFile(work / "Hello.app/Contents/Info.plist", configuration(work / "classes"));
  fs::create_directories(fs::path(bundled).parent_path());
  fs::copy_file(prefix(kStubInPrefix), bundled);
  // The command-line road: the configuration written into a copy by kvx-embed,
  // which finds the installed stub itself, through a link on PATH as well.
  const std::string embedded = work / "hello";
  fs::create_directories(work / "path");
  fs::create_symlink(prefix(kEmbedInPrefix), work / "path/kvx-embed");
  ProgramResult embed = runProgram(work / "path/kvx-embed", {work / "config.plist", embedded});
  ASSERT_EQ(embed.status, 0) << embed.err;
  // And kvx-bundle, from the jar, relying on the installed runtimes.
  fs::create_directories(work / "input");
  ProgramResult jar = runProgram(kJdk17 + "/bin/jar", {"--create", "--file", work / "input/main.jar",
                                                       "--main-class", "Main", "-C", work / "classes", "."});
  ASSERT_EQ(jar.status, 0) << jar.err;
  ProgramResult bundle = runProgram(prefix(kBundleInPrefix), {"--type", "cli", "--name", "hello", "--input",
                                                              work / "input", "--dest", work / "dist", "--no-runtime"});
  ASSERT_EQ(bundle.status, 0) << bundle.err;
  const std::string madeByBundle = work / "dist/hello/bin/hello";

  RunOptions options;
  // A real virtual machine handles SIGSEGV itself and keeps its memory until
  // exit; a sanitized stub must leave both alone.
  options.env = {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"},
                 {"DISPLAY", std::nullopt},
                 {"WAYLAND_DISPLAY", std::nullopt}};
  for (const std::string& launcher : {bundled, embedded, madeByBundle}) {
    SCOPED_TRACE(launcher);
    ProgramResult run = runProgram(launcher, {"a b", "c"}, options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "hello a b,c\n") << run.err;
  }
}

// The file names of the shared objects a program needs: from `ldd` all of
// them, loader and kernel-provided object included; from the dynamic section
// only those it names itself.
std::vector<std::string> lddLibraries(const std::string& program, std::string* raw) {
  ProgramResult ldd = runProgram(onPath("ldd"), {program});
  *raw = ldd.out + ldd.err;
  EXPECT_EQ(ldd.status, 0) << *raw;
  std::vector<std::string> names;
  std::istringstream lines(ldd.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string first;
    if (!(words >> first)) continue;
    names.push_back(fs::path(first).filename().string());
    EXPECT_EQ(line.find("not found"), std::string::npos) << line;
  }
  return names;
}

std::vector<std::string> neededLibraries(const std::string& program, std::string* raw) {
  ProgramResult readelf = runProgram(onPath("readelf"), {"--dynamic", "--wide", program});
  *raw = readelf.out + readelf.err;
  EXPECT_EQ(readelf.status, 0) << *raw;
  std::vector<std::string> names;
  const std::regex needed(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])");
  for (std::sregex_iterator it(readelf.out.begin(), readelf.out.end(), needed), end; it != end;
       ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

bool isSystemCRuntime(const std::string& name) {
  static const std::regex allowed(
      R"(linux-vdso\.so\.\d+|ld-linux[-\w.]*\.so\.\d+|lib(c|m|dl|pthread)\.so\.\d+)");
  return std::regex_match(name, allowed);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// A sanitized build links the sanitizer runtimes, and they bring the shared
// C++ runtime with them; the stub itself still must not ask for it.
bool isSanitizerRuntime(const std::string& name) {
  return kSanitized && std::regex_match(name, std::regex(R"(lib(asan|ubsan)\.so\.\d+)"));
}
bool isBroughtBySanitizer(const std::string& name) {
  return kSanitized && std::regex_match(name, std::regex(R"(lib(stdc\+\+|gcc_s)\.so\.\d+)"));
}

TEST_F(Installed, TheStubNeedsOnlyTheSystemCRuntime) {
  if (onPath("ldd").empty() || onPath("readelf").empty()) GTEST_SKIP() << "no ldd or readelf";
  std::string raw;
  std::vector<std::string> loaded = lddLibraries(prefix(kStubInPrefix), &raw);
  EXPECT_TRUE(std::find(loaded.begin(), loaded.end(), "libc.so.6") != loaded.end()) << raw;
  for (const std::string& name : loaded) {
    EXPECT_TRUE(isSystemCRuntime(name) || isSanitizerRuntime(name) || isBroughtBySanitizer(name))
        << name << " in\n" << raw;
  }

  std::vector<std::string> named = neededLibraries(prefix(kStubInPrefix), &raw);
  EXPECT_FALSE(named.empty()) << raw;
  for (const std::string& name : named) {
    EXPECT_TRUE(isSystemCRuntime(name) || isSanitizerRuntime(name)) << name << " in\n" << raw;
  }
}

}  // namespace
}  // namespace kvx::test
