// kvx-bundle's packages as a user receives them: built from applications
// compiled here, judged by lintian, then installed, started and
// removed for real, but only inside a private mount namespace whose /usr,
// package databases and /opt are copies that vanish with it, so that the
// machine itself is never touched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const std::string kJdk25 = "/usr/lib/jvm/temurin-25-jdk-amd64";
const std::string kBundle = KVX_BUILD_DIR "/kvx-bundle";

// A window application that names the desktop module (so that its runtime
// links X11 and the font libraries) but never opens a window.
const char kWindowJava[] = R"(public class Window {
  public static void main(String[] args) {
    System.out.println("Hello from Java " + Runtime.version().feature());
    System.out.println("headless = " + java.awt.GraphicsEnvironment.isHeadless());
    System.out.println("arguments = " + String.join("|", args));
  }
}
)";

// A command that needs nothing beyond java.base.
const char kToolJava[] = R"(public class Tool {
  public static void main(String[] args) {
    System.out.println("tool on Java " + Runtime.version().feature() + ": " + String.join("|", args));
  }
}
)";

// A 48x48 PNG, the size of one of the hicolor theme's folders.
const char kMakeIcon[] = R"(import struct, sys, zlib
n = 48
raw = b''.join(b'\x00' + b'\x30\x60\x90\xff' * n for _ in range(n))
chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', n, n, 8, 6, 0, 0, 0))
    + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
)";

// Runs in a new mount namespace: /usr and the package databases become
// overlays whose changes live in a tmpfs, /opt an empty tmpfs. Then the
// commands given run there, each line's output kept.
const char kPrivateSystem[] = R"(set -e
scratch=$(mktemp -d)
mount -t tmpfs kvx-scratch "$scratch"
for d in usr etc var/lib; do
  [ -d "/$d" ] || continue
  mkdir -p "$scratch/upper/$d" "$scratch/work/$d"
  mount -t overlay overlay -o "lowerdir=/$d,upperdir=$scratch/upper/$d,workdir=$scratch/work/$d" "/$d"
done
mount -t tmpfs kvx-opt /opt
eval "$1"
)";

bool onPath(const std::string& program) {
  return runProgram("/bin/sh", {"-c", "command -v " + program}).status == 0;
}

// Whether this machine can give a test a private system to install into.
std::string privateSystemMissing() {
  if (geteuid() != 0) return "installing needs root (for the mount namespace)";
  ProgramResult probe = runProgram("/usr/bin/unshare", {"-m", "/bin/sh", "-c", kPrivateSystem, "sh", "true"});
  return probe.status == 0 ? "" : "no private mount namespace with overlays here: " + probe.err;
}

ProgramResult inPrivateSystem(const std::string& commands) {
  // A virtual machine under a sanitized launcher: it takes SIGSEGV for its
  // own, and its threads are no leak checker's to stop.
  RunOptions options;
  options.env = {{"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}};
  return runProgram("/usr/bin/unshare", {"-m", "/bin/sh", "-c", kPrivateSystem, "sh", commands}, options);
}

bool printed(const std::string& output, const std::string& line) {
  return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

// Errors lintian reports, one a line; tags the package carries on purpose
// are given in allowed.
Strings errorsOf(const std::string& report, const Strings& allowed = {}) {
  Strings errors;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(": E: ") == std::string::npos) continue;
    bool expected = false;
    for (const std::string& tag : allowed) expected = expected || (line + " ").find(": E: " + tag + " ") != std::string::npos;
    if (!expected) errors.push_back(line);
  }
  return errors;
}

class Packages : public ::testing::Test {
 public:
  void SetUp() override {
    if (!fs::exists(kJdk17 + "/bin/javac")) GTEST_SKIP() << "no JDK 17 at " << kJdk17;
    for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "strip", "python3"}) {
      if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed (scripts/install-deps)";
    }
    compile("Window", kWindowJava, "window");
    compile("Tool", kToolJava, "tool");
    ASSERT_EQ(runProgram("/usr/bin/env", {"python3", "-c", kMakeIcon, dir / "icon.png"}).status, 0);
  }

  void compile(const std::string& mainClass, const char* source, const std::string& input) {
    writeFile(dir / ("src/" + mainClass + ".java"), source);
    fs::create_directories(dir / input);
    ProgramResult javac = runProgram(kJdk17 + "/bin/javac", {"--release", "17", "-d", dir / ("classes/" + input),
                                                            dir / ("src/" + mainClass + ".java")});
    ASSERT_EQ(javac.status, 0) << javac.err;
    ProgramResult jar = runProgram(kJdk17 + "/bin/jar", {"--create", "--file", dir / (input + "/" + input + ".jar"),
                                                        "--main-class", mainClass, "-C", dir / ("classes/" + input), "."});
    ASSERT_EQ(jar.status, 0) << jar.err;
  }

  // kvx-bundle with the given options after the common ones; the package's path.
  std::string makePackage(const Strings& options, const std::string& dest, const std::string& epoch = "") {
    RunOptions run;
    run.env = {{"JAVA_HOME", std::nullopt}, {"SOURCE_DATE_EPOCH", epoch.empty() ? std::nullopt : std::optional(epoch)}};
    ProgramResult made = runProgram(kBundle, options, run);
    EXPECT_EQ(made.status, 0) << made.err;
    if (!fs::exists(dest)) return "";
    for (const auto& entry : fs::directory_iterator(dest)) {
      std::string extension = entry.path().extension();
      if (extension == ".deb" || extension == ".rpm") return entry.path();
    }
    return "";
  }

  std::string windowDeb(const std::string& dest, const std::string& epoch = "") {
    return makePackage({"--type", "deb", "--name", "Window", "--input", dir / "window", "--dest", dest, "--icon",
                        dir / "icon.png", "--jdk", kJdk17, "--linux-deb-maintainer", "packager@example.com",
                        "--vendor", "Example Ltd", "--description", "Shows a window", "--app-version", "2.1",
                        "--linux-menu-group", "Development;", "--copyright", "Copyright 2024 Example Ltd"},
                       dest, epoch);
  }

  TempDir dir;
};

std::string debField(const std::string& deb, const std::string& field) {
  return runProgram("/usr/bin/dpkg-deb", {"--field", deb, field}).out;
}

TEST_F(Packages, AWindowApplicationsDebIsCleanInstallsIntoTheMenuStartsAndPurgesToNothing) {
  std::string deb = windowDeb(dir / "dist");
  ASSERT_EQ(fs::path(deb).filename(), "window_2.1-1_amd64.deb");
  // What the runtime's libraries link, not a guess: the desktop module's
  // X11 and font libraries.
  std::string depends = debField(deb, "Depends");
  for (const char* library : {"libc6 (>=", "libx11-6", "libfreetype6"}) {
    EXPECT_NE(depends.find(library), std::string::npos) << depends;
  }
  if (onPath("lintian")) {
    ProgramResult lintian = runProgram("/usr/bin/lintian", {"--no-cfg", deb});
    EXPECT_EQ(errorsOf(lintian.out), Strings{}) << lintian.out;
  }
  if (std::string missing = privateSystemMissing(); !missing.empty()) GTEST_SKIP() << missing;
  ProgramResult installed = inPrivateSystem(
      "dpkg --log=/dev/null --force-depends -i " + deb + " >/dev/null\n"
      "entry=/usr/share/applications/window.desktop\n"
      "desktop-file-validate $entry && echo 'entry: valid'\n"
      "grep -E '^(Exec|Icon|Categories)=' $entry\n"
      "[ -f /usr/share/icons/hicolor/48x48/apps/window.png ] && echo 'icon: in the theme'\n"
      "exec_line=$(sed -n 's/^Exec=//p' $entry)\n"
      "eval \"$exec_line\" from-menu\n"
      "dpkg --log=/dev/null --purge window >/dev/null 2>&1\n"
      "echo \"left: $(find /opt /usr/share/applications/window.desktop /usr/share/doc/window "
      "/usr/share/icons/hicolor/48x48/apps/window.png 2>/dev/null | grep -v '^/opt$' | tr '\\n' ' ')\"\n"
      "dpkg -s window >/dev/null 2>&1 || echo 'database: forgotten'\n");
  EXPECT_EQ(installed.status, 0) << installed.err;
  for (const char* line : {"entry: valid", "Exec=\"/opt/window/Window.app/Contents/MacOS/Window\"", "Icon=window",
                           "Categories=Development;", "icon: in the theme", "Hello from Java 17",
                           "arguments = from-menu", "left: ", "database: forgotten"}) {
    EXPECT_TRUE(printed(installed.out, line)) << line << "\n" << installed.out << installed.err;
  }
}

// A command needs no window system: its runtime, made from JDK 25 here,
// brings neither X11 nor fonts, and its command is on PATH.
TEST_F(Packages, ACommandLineApplicationsDebPutsItsCommandOnPathAndNeedsNoWindowSystem) {
  if (!fs::exists(kJdk25 + "/bin/jlink")) GTEST_SKIP() << "no JDK 25 at " << kJdk25;
  std::string deb = makePackage({"--type", "deb", "--package-tree", "cli", "--name", "tool", "--input", dir / "tool",
                                 "--dest", dir / "dist", "--jdk", kJdk25, "--linux-deb-maintainer", "me@example.com",
                                 "--linux-package-deps", "bash, coreutils"},
                                dir / "dist");
  ASSERT_FALSE(deb.empty());
  std::string depends = debField(deb, "Depends");
  EXPECT_EQ(depends.find("libx11"), std::string::npos) << depends;
  EXPECT_EQ(depends.find("libfreetype"), std::string::npos) << depends;
  EXPECT_NE(depends.find("libc6"), std::string::npos) << depends;
  EXPECT_NE(depends.find(", bash, coreutils"), std::string::npos) << depends;
  std::string contents = runProgram("/usr/bin/dpkg-deb", {"-c", deb}).out;
  EXPECT_NE(contents.find("./usr/bin/tool -> /opt/tool/bin/tool"), std::string::npos) << contents;
  EXPECT_EQ(contents.find("usr/share/applications"), std::string::npos) << contents;
  if (onPath("lintian")) {
    ProgramResult lintian = runProgram("/usr/bin/lintian", {"--no-cfg", deb});
    EXPECT_EQ(errorsOf(lintian.out), Strings{}) << lintian.out;
  }
  if (std::string missing = privateSystemMissing(); !missing.empty()) GTEST_SKIP() << missing;
  ProgramResult installed = inPrivateSystem("dpkg --log=/dev/null -i " + deb + " >/dev/null\n"
                                            "cd / && PATH=/usr/bin:/bin tool a 'b c'\n"
                                            "dpkg --log=/dev/null --purge tool >/dev/null 2>&1\n"
                                            "[ -e /usr/bin/tool ] || [ -e /opt/tool ] || echo 'left: nothing'\n");
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_TRUE(printed(installed.out, "tool on Java 25: a|b c")) << installed.out << installed.err;
  EXPECT_TRUE(printed(installed.out, "left: nothing")) << installed.out;
}

// A service's package: the unit systemd reads is valid, installed disabled,
// runs the application through its command, and goes with the package.
TEST_F(Packages, AServiceDebInstallsItsUnitDisabledAndTakesItAlongOnPurge) {
  if (!onPath("systemd-analyze")) GTEST_SKIP() << "systemd-analyze is not installed (scripts/install-deps)";
  std::string deb = makePackage({"--type", "deb", "--package-tree", "cli", "--name", "tool", "--input", dir / "tool",
                                 "--dest", dir / "dist", "--no-runtime", "--max-java", "17", "--linux-deb-maintainer",
                                 "me@example.com", "--launcher-as-service"},
                                dir / "dist");
  ASSERT_FALSE(deb.empty());
  std::string contents = runProgram("/usr/bin/dpkg-deb", {"-c", deb}).out;
  EXPECT_NE(contents.find("./usr/lib/systemd/system/tool.service"), std::string::npos) << contents;
  if (onPath("lintian")) {
    ProgramResult lintian = runProgram("/usr/bin/lintian", {"--no-cfg", deb});
    EXPECT_EQ(errorsOf(lintian.out), Strings{}) << lintian.out;
  }
  if (std::string missing = privateSystemMissing(); !missing.empty()) GTEST_SKIP() << missing;
  ProgramResult installed = inPrivateSystem(
      "dpkg --log=/dev/null -i " + deb + " >/dev/null\n"
      "unit=/usr/lib/systemd/system/tool.service\n"
      "systemd-analyze verify $unit && echo 'unit: verified'\n"
      "ls /etc/systemd/system/*.wants/tool.service >/dev/null 2>&1 || echo 'unit: not enabled'\n"
      "cd / && eval \"$(sed -n 's/^ExecStart=//p' $unit)\"\n"
      "dpkg --log=/dev/null --purge tool >/dev/null 2>&1\n"
      "[ -e $unit ] || [ -e /opt/tool ] || [ -e /etc/systemd/system/tool.service ] || echo 'left: nothing'\n");
  EXPECT_EQ(installed.status, 0) << installed.err;
  for (const char* line : {"unit: verified", "unit: not enabled", "tool on Java 17: run", "left: nothing"}) {
    EXPECT_TRUE(printed(installed.out, line)) << line << "\n" << installed.out << installed.err;
  }
}

// Every file and link under a and b, with what it holds, in one text each:
// equal texts mean equal trees.
std::string treeText(const fs::path& top) {
  std::vector<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(top)) {
    std::string name = fs::relative(entry.path(), top).string();
    if (entry.is_symlink()) {
      entries.push_back(name + " -> " + fs::read_symlink(entry.path()).string());
    } else if (entry.is_regular_file()) {
      entries.push_back(name + " " + std::to_string(std::hash<std::string>{}(readFileOrMissing(entry.path()))));
    }
  }
  std::sort(entries.begin(), entries.end());
  std::string text;
  for (const std::string& entry : entries) text += entry + "\n";
  return text;
}

// Two .debs of the command-line application from one JDK, with one
// SOURCE_DATE_EPOCH: the same bytes, every entry root's and dated then. The
// runtime keeps its class-data archive only where the JDK writes it the same
// at every run.
void expectReproducibleDeb(Packages& t, const std::string& jdk, bool keepsArchive) {
  if (!fs::exists(jdk + "/bin/jlink")) GTEST_SKIP() << "no JDK at " << jdk;
  auto deb = [&](const std::string& dest) {
    return t.makePackage({"--type", "deb", "--name", "Tool", "--input", t.dir / "tool", "--dest", dest, "--jdk", jdk,
                          "--linux-deb-maintainer", "me@example.com"},
                         dest, "1700000000");
  };
  std::string first = deb(t.dir / "one");
  std::string second = deb(t.dir / "two");
  ASSERT_FALSE(first.empty());
  // Compared as a flag: a diff of two packages would not fit in any report.
  bool same = readFileOrMissing(first) == readFileOrMissing(second);
  EXPECT_TRUE(same) << first << " and " << second << " differ";
  RunOptions utc;
  utc.env = {{"TZ", "UTC"}};
  std::string listing = runProgram("/usr/bin/dpkg-deb", {"-c", first}, utc).out;
  std::istringstream lines(listing);
  int entries = 0;
  for (std::string line; std::getline(lines, line); ++entries) {
    EXPECT_TRUE(std::regex_search(line, std::regex(" root/root +[0-9]+ 2023-11-14 22:13 "))) << line;
  }
  EXPECT_GT(entries, 20);
  EXPECT_EQ(listing.find("lib/server/classes.jsa") != std::string::npos, keepsArchive) << listing;
}

TEST_F(Packages, TheSameInputsAndSourceDateEpochGiveTheSameBytesOn17WithoutItsArchive) {
  expectReproducibleDeb(*this, kJdk17, false);
}

TEST_F(Packages, TheSameInputsAndSourceDateEpochGiveTheSameBytesOn25WithItsArchive) {
  expectReproducibleDeb(*this, kJdk25, true);
}

TEST_F(Packages, TheSameInputsAndSourceDateEpochGiveATreeOfTheSameBytes) {
  if (!fs::exists(kJdk25 + "/bin/jlink")) GTEST_SKIP() << "no JDK 25 at " << kJdk25;
  auto tree = [&](const std::string& dest) {
    RunOptions run;
    run.env = {{"JAVA_HOME", std::nullopt}, {"SOURCE_DATE_EPOCH", "1700000000"}};
    ProgramResult made = runProgram(kBundle, {"--name", "Tool", "--input", dir / "tool", "--dest", dest, "--icon",
                                              dir / "icon.png", "--jdk", kJdk25}, run);
    EXPECT_EQ(made.status, 0) << made.err;
    return treeText(fs::path(dest) / "Tool.app");
  };
  std::string one = tree(dir / "tree-one");
  EXPECT_NE(one.find("lib/server/classes.jsa"), std::string::npos) << one;
  EXPECT_EQ(one, tree(dir / "tree-two"));
}

TEST_F(Packages, AnRpmInstallsStartsAndErasesToNothing) {
  if (!onPath("rpmbuild")) GTEST_SKIP() << "rpmbuild is not installed (scripts/install-deps)";
  std::string rpm = makePackage({"--type", "rpm", "--name", "Window", "--input", dir / "window", "--dest",
                                 dir / "dist", "--icon", dir / "icon.png", "--jdk", kJdk17, "--app-version", "2.1",
                                 "--linux-rpm-license-type", "MIT", "--description", "Shows a window"},
                                dir / "dist");
  ASSERT_EQ(fs::path(rpm).filename(), "window-2.1-1.x86_64.rpm");
  std::string required = runProgram("/usr/bin/rpm", {"-qp", "--requires", rpm}).out;
  EXPECT_TRUE(printed(required, "libX11.so.6()(64bit)")) << required;
  // The libraries the package brings are neither required nor offered.
  EXPECT_EQ(required.find("libjvm.so"), std::string::npos) << required;
  EXPECT_EQ(runProgram("/usr/bin/rpm", {"-qp", "--provides", rpm}).out.find("libjvm.so"), std::string::npos);
  if (onPath("rpmlint")) {
    // Clean with the filters written beside it; without them, only what they name.
    std::string filters = std::regex_replace(rpm, std::regex("\\.rpm$"), ".rpmlintrc");
    ProgramResult filtered = runProgram("/usr/bin/rpmlint", {"-r", filters, rpm});
    EXPECT_EQ(errorsOf(filtered.out), Strings{}) << filtered.out;
    ProgramResult plain = runProgram("/usr/bin/rpmlint", {rpm});
    EXPECT_EQ(errorsOf(plain.out, {"dir-or-file-in-opt", "binary-or-shlib-defines-rpath", "invalid-soname",
                                   "missing-hash-section", "non-versioned-file-in-library-package", "no-signature"}),
              Strings{});
  }
  if (std::string missing = privateSystemMissing(); !missing.empty()) GTEST_SKIP() << missing;
  // Debian's rpm database knows none of the system's libraries, so what the
  // package requires cannot be checked against it here.
  ProgramResult installed = inPrivateSystem(
      "db=$scratch/rpmdb\n"
      "rpm --dbpath $db -i --nodeps " + rpm + "\n"
      "desktop-file-validate /usr/share/applications/window.desktop && echo 'entry: valid'\n"
      "eval \"$(sed -n 's/^Exec=//p' /usr/share/applications/window.desktop)\" from-menu\n"
      "rpm --dbpath $db -e window\n"
      "[ -e /opt/window ] || [ -e /usr/share/applications/window.desktop ] || "
      "[ -e /usr/share/icons/hicolor/48x48/apps/window.png ] || echo 'left: nothing'\n");
  EXPECT_EQ(installed.status, 0) << installed.err;
  for (const char* line : {"entry: valid", "Hello from Java 17", "arguments = from-menu", "left: nothing"}) {
    EXPECT_TRUE(printed(installed.out, line)) << line << "\n" << installed.out << installed.err;
  }
}

// A modular application's package: its module linked into the runtime that
// the package carries, started from the command on PATH.
TEST_F(Packages, AModularApplicationsDebStartsItsModuleFromTheCommandOnPath) {
  writeFile(dir / "modsrc/module-info.java", "module hello.mod { }\n");
  writeFile(dir / "modsrc/hello/mod/Main.java",
            "package hello.mod;\npublic class Main { public static void main(String[] a) {\n"
            "  System.out.println(\"module \" + Main.class.getModule().getName() + \": \" + String.join(\"|\", a));\n} }\n");
  ProgramResult javac = runProgram(kJdk17 + "/bin/javac", {"--release", "17", "-d", dir / "classes/mod",
                                                          dir / "modsrc/module-info.java", dir / "modsrc/hello/mod/Main.java"});
  ASSERT_EQ(javac.status, 0) << javac.err;
  fs::create_directories(dir / "modapp/mods");
  ProgramResult jar = runProgram(kJdk17 + "/bin/jar", {"--create", "--file", dir / "modapp/mods/hello.mod.jar",
                                                      "--main-class", "hello.mod.Main", "-C", dir / "classes/mod", "."});
  ASSERT_EQ(jar.status, 0) << jar.err;
  std::string deb = makePackage({"--type", "deb", "--package-tree", "cli", "--name", "hello", "--input", dir / "modapp",
                                 "--dest", dir / "dist", "--jdk", kJdk17, "--linux-deb-maintainer", "me@example.com",
                                 "--module", "hello.mod", "--module-path", "mods"},
                                dir / "dist");
  ASSERT_FALSE(deb.empty());
  if (onPath("lintian")) {
    ProgramResult lintian = runProgram("/usr/bin/lintian", {"--no-cfg", deb});
    EXPECT_EQ(errorsOf(lintian.out), Strings{}) << lintian.out;
  }
  if (std::string missing = privateSystemMissing(); !missing.empty()) GTEST_SKIP() << missing;
  ProgramResult installed = inPrivateSystem("dpkg --log=/dev/null -i " + deb + " >/dev/null\n"
                                            "grep -o ' hello.mod' /opt/hello/.kestrovel/jre/release\n"
                                            "cd / && PATH=/usr/bin:/bin hello a 'b c'\n");
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_TRUE(printed(installed.out, " hello.mod")) << installed.out;
  EXPECT_TRUE(printed(installed.out, "module hello.mod: a|b c")) << installed.out << installed.err;
}

// Two programs in one package: the window application opens greetings, and
// the tool is its further launcher, with the same runtime.
class Suite : public Packages {
 public:
  void SetUp() override {
    Packages::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    fs::create_directories(dir / "suite");
    fs::copy_file(dir / "window/window.jar", dir / "suite/window.jar");
    fs::copy_file(dir / "tool/tool.jar", dir / "suite/tool.jar");
    writeFile(dir / "greeting.properties", "extension=greet\nmime-type=application/x-greeting\n"
                                           "description=Greeting card\nicon=" + dir / "icon.png" + "\n");
    writeFile(dir / "tool.properties", "main-jar=tool.jar\narguments=--from-tool\nicon=" + dir / "icon.png" + "\n");
  }

  Strings suiteOptions(const std::string& type) {
    return {"--type", type, "--name", "Window", "--input", dir / "suite", "--main-jar", "window.jar", "--dest",
            dir / "dist", "--icon", dir / "icon.png", "--linux-deb-maintainer", "packager@example.com",
            "--file-associations", dir / "greeting.properties", "--add-launcher", "tool=" + dir / "tool.properties"};
  }
};

// Installed, the document type is known to the desktop by its extension,
// a document opened with the entry reaches the application, and the tool
// starts from its own entry; purged, all of it is gone, the MIME database's
// own record of the type too.
const char kUseTheSuite[] = R"sh(cd /usr/share/applications
desktop-file-validate window.desktop window-tool.desktop && echo 'entries: valid'
xmllint --noout /usr/share/mime/packages/window.xml && echo 'mime info: well formed'
grep -o 'glob pattern="[^"]*"' /usr/share/mime/application/x-greeting.xml
grep -E '^(Exec|MimeType|Icon)=' window.desktop window-tool.desktop
[ -f /usr/share/icons/hicolor/48x48/mimetypes/application-x-greeting.png ] && echo 'document icon: in the theme'
[ -f /usr/share/icons/hicolor/48x48/apps/window-tool.png ] && echo 'tool icon: in the theme'
mkdir -p /opt/docs && echo hi > '/opt/docs/my card.greet'
eval "$(sed -n 's/^Exec=//p' window.desktop | sed "s|%F|'/opt/docs/my card.greet'|")"
eval "$(sed -n 's/^Exec=//p' window-tool.desktop)"
)sh";

const char kWhatIsLeft[] = R"(for f in /opt/window /usr/share/mime/packages/window.xml /usr/share/mime/application/x-greeting.xml \
    /usr/share/applications/window.desktop /usr/share/applications/window-tool.desktop \
    /usr/share/icons/hicolor/48x48/mimetypes/application-x-greeting.png /usr/share/icons/hicolor/48x48/apps/window-tool.png; do
  [ -e "$f" ] && echo "left: $f"
done
echo 'looked'
)";

void expectSuiteUsed(const ProgramResult& installed, const std::string& runtime) {
  EXPECT_EQ(installed.status, 0) << installed.err;
  for (const std::string& line : std::vector<std::string>{"entries: valid", "mime info: well formed", "glob pattern=\"*.greet\"",
                                  "window.desktop:Exec=\"/opt/window/Window.app/Contents/MacOS/Window\" %F",
                                  "window.desktop:MimeType=application/x-greeting;", "window.desktop:Icon=window",
                                  "window-tool.desktop:Exec=\"/opt/window/Window.app/Contents/MacOS/tool\"",
                                  "window-tool.desktop:Icon=window-tool", "document icon: in the theme",
                                  "tool icon: in the theme", "Hello from Java " + runtime,
                                  "arguments = /opt/docs/my card.greet", "tool on Java " + runtime + ": --from-tool",
                                  "looked"}) {
    EXPECT_TRUE(printed(installed.out, line)) << line << "\n" << installed.out << installed.err;
  }
  EXPECT_EQ(installed.out.find("left: "), std::string::npos) << installed.out;
}

TEST_F(Suite, ADebsDocumentsAndFurtherLauncherInstallIntoTheDesktopAndGoWithIt) {
  Strings options = suiteOptions("deb");
  options.insert(options.end(), {"--jdk", kJdk17});
  std::string deb = makePackage(options, dir / "dist");
  ASSERT_FALSE(deb.empty());
  if (onPath("lintian")) {
    ProgramResult lintian = runProgram("/usr/bin/lintian", {"--no-cfg", deb});
    EXPECT_EQ(errorsOf(lintian.out), Strings{}) << lintian.out;
  }
  if (std::string missing = privateSystemMissing(); !missing.empty()) GTEST_SKIP() << missing;
  expectSuiteUsed(inPrivateSystem("dpkg --log=/dev/null --force-depends -i " + deb + " >/dev/null\n" + kUseTheSuite +
                                  "dpkg --log=/dev/null --purge window >/dev/null 2>&1\n" + kWhatIsLeft),
                  "17");
}

// Without a runtime of its own, the installed ones serve; the .rpm lists
// every file the .deb has.
TEST_F(Suite, AnRpmsDocumentsAndFurtherLauncherInstallIntoTheDesktopAndGoWithIt) {
  if (!onPath("rpmbuild")) GTEST_SKIP() << "rpmbuild is not installed (scripts/install-deps)";
  Strings options = suiteOptions("rpm");
  options.insert(options.end(), {"--no-runtime", "--max-java", "17"});
  std::string rpm = makePackage(options, dir / "dist");
  ASSERT_FALSE(rpm.empty());
  if (onPath("rpmlint")) {
    // Without a runtime, its libraries' filters would match nothing, which rpmlint counts as errors.
    std::string filters = std::regex_replace(rpm, std::regex("\\.rpm$"), ".rpmlintrc");
    ProgramResult filtered = runProgram("/usr/bin/rpmlint", {"-r", filters, rpm});
    EXPECT_EQ(errorsOf(filtered.out), Strings{}) << filtered.out;
  }
  if (std::string missing = privateSystemMissing(); !missing.empty()) GTEST_SKIP() << missing;
  expectSuiteUsed(inPrivateSystem("db=$scratch/rpmdb\nrpm --dbpath $db -i --nodeps " + rpm + "\n" + kUseTheSuite +
                                  "rpm --dbpath $db -e window\n" + kWhatIsLeft),
                  "17");
}

}  // namespace
}  // namespace kvx::test
