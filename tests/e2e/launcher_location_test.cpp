// Where the built launcher finds itself when the system's usual record of
// the running file is missing: /proc hidden in a mount namespace of its own,
// a start through a descriptor, a deleted executable, a real path too long
// to be named. The start directory holds a trap: a runtime, options files
// and an unpack200 where a launcher that took its paths as relative ones
// would find them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kEmbed = KVX_BUILD_DIR "/kvx-embed";
const std::string kFromDescriptor = KVX_BUILD_DIR "/exec-from-descriptor";
const std::string kLocationError =
    "The application could not be started because the launcher cannot tell where it is installed: ";

// Runs "$@" in the directory $1; the variant hides /proc first.
const char kInDirectory[] = "cd \"$1\" && shift && exec \"$@\"";
const char kInDirectoryWithoutProc[] = "mount -t tmpfs none /proc && cd \"$1\" && shift && exec \"$@\"";

// A shipped plain runtime home whose library is the recording fake, and
// whose unpack200 would leave a log line if it were ever run.
void layOutShippedRuntime(const std::string& home) {
  layOutFakeRuntime(home, "17.0.2");
  fs::create_directories(home + "/bin");
  fs::copy_file(KVX_BUILD_DIR "/unpack200-standin", home + "/bin/unpack200");
  writeFile(home + "/lib/trap.jar.pack", "packed");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Why /proc cannot be hidden from the launcher here, or empty when it can.
std::string whyProcCannotBeHidden() {
  // The sanitizer's runtime reads the memory map in /proc as the program starts.
  if (kSanitized) return "the launcher is built with AddressSanitizer, which needs /proc";
  Strings probe = {"-m", "/bin/sh", "-c", kInDirectoryWithoutProc, "sh", "/", "/bin/true"};
  if (runProgram("/usr/bin/unshare", probe).status != 0) {
    return "no mount namespace to hide /proc in (unshare -m needs privileges)";
  }
  return "";
}

class LauncherLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    // What a launcher with relative paths would read in the start directory.
    layOutShippedRuntime(start + "/.kestrovel/jre");
    layOutShippedRuntime(start + "/.app/Contents/Resources/app/.kestrovel/jre");
    writeFile(start + "/.vmoptions", "-Dtrap=vmoptions\n");
    writeFile(start + "/.app/Contents/vmoptions.txt", "-Dtrap=vmoptions.txt\n");
  }

  // dir/tool/bin/tool, its configuration embedded, its runtime shipped in
  // dir/tool/.kestrovel/jre.
  std::string commandLineLauncher() {
    plist::Value config = dict({{"CFBundleName", str("Tool")},
                                {"kvx.baseDir", str("..")},
                                {"JavaVM", dict({{"MainClass", str("Main")}, {"SearchSequence", strings({})}})}});
    writeFile(dir / "tool.plist", plist::writeBinary(config));
    fs::create_directories(dir / "tool/bin");
    ProgramResult embedded = runProgram(kEmbed, {KVX_BUILD_DIR "/kvx-launcher", dir / "tool.plist", dir / "tool/bin/tool"});
    EXPECT_EQ(embedded.status, 0) << embedded.err;
    layOutFakeRuntime(dir / "tool/.kestrovel/jre", "17.0.2");
    return dir / "tool/bin/tool";
  }

  // dir/Foo.app, its runtime shipped in its application root.
  std::string bundleLauncher() {
    AppBundle app = layOutApp(
        dir.path(), "Foo",
        dict({{"CFBundleName", str("Foo")},
              {"JavaVM", dict({{"MainClass", str("Main")}, {"SearchSequence", strings({})}})}}));
    layOutFakeRuntime(app.appRoot + "/.kestrovel/jre", "17.0.2");
    return app.executable;
  }

  // The launcher's installation: what it must load, and how it names itself
  // in an error (a command-line launcher on standard error, an application
  // in its notice, which without a display goes to standard error too).
  struct Installed {
    std::string launcher;
    std::string library;
    std::string errorLine;
  };
  std::vector<Installed> bothLaunchers() {
    return {{commandLineLauncher(), dir / "tool/.kestrovel/jre/lib/libjli.so", "ERROR: " + kLocationError},
            {bundleLauncher(), dir / "Foo.app/Contents/Resources/app/.kestrovel/jre/lib/libjli.so",
             "Foo: " + kLocationError}};
  }

  // Runs command in the start directory, /proc hidden or not, under a time limit.
  ProgramResult runFromStart(const Strings& command, bool hideProc) {
    Strings args = {"60"};
    if (hideProc) args.insert(args.end(), {"/usr/bin/unshare", "-m"});
    args.insert(args.end(), {"/bin/sh", "-c", hideProc ? kInDirectoryWithoutProc : kInDirectory, "sh", start});
    args.insert(args.end(), command.begin(), command.end());
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", record},        {"KVX_FAKE_JLI_EXIT", "23"},
                   {"UNPACK200_STANDIN_LOG", unpackLog},   {"KESTROVEL_LOG", std::nullopt},
                   {"DISPLAY", std::nullopt},              {"WAYLAND_DISPLAY", std::nullopt},
                   {"LANGUAGE", "en"},                     {"XDG_CONFIG_HOME", dir / "config"}};
    fs::remove(record);
    return runProgram("/usr/bin/timeout", args, options);
  }

  // The start was refused with the clear error, and nothing was loaded or run.
  void expectRefused(const ProgramResult& result, const Installed& installed, const std::string& why) {
    EXPECT_EQ(result.status, 1) << installed.launcher << "\n" << result.err;
    EXPECT_NE(result.err.find(installed.errorLine + why), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(record)) << readFileOrMissing(record);
    EXPECT_FALSE(fs::exists(unpackLog)) << readFileOrMissing(unpackLog);
  }

  TempDir dir;
  std::string start = dir / "start";
  std::string record = dir / "record";
  std::string unpackLog = dir / "unpack.log";
};

TEST_F(LauncherLocation, WithoutProcTheExecutedPathStillLeadsToTheInstallation) {
  if (std::string why = whyProcCannotBeHidden(); !why.empty()) GTEST_SKIP() << why;
  for (const Installed& installed : bothLaunchers()) {
    const std::string relative = fs::relative(installed.launcher, start).string();
    for (const std::string& executed : {installed.launcher, relative}) {
      ProgramResult result = runFromStart({executed, "a1"}, /*hideProc=*/true);
      EXPECT_EQ(result.status, 23) << executed << "\n" << result.err;
      Strings got = recordLines(record);
      EXPECT_EQ(recordedValue(got, "library"), installed.library) << executed;
      Strings vector = recordedVector(got);
      // The arguments come from main when /proc cannot give them.
      ASSERT_FALSE(vector.empty()) << executed;
      EXPECT_EQ(vector.back(), "a1");
      for (const std::string& entry : vector) EXPECT_EQ(entry.find("-Dtrap"), std::string::npos) << entry;
      EXPECT_FALSE(fs::exists(unpackLog)) << readFileOrMissing(unpackLog);
    }
  }
}

// Started through a descriptor, the launcher is told only /dev/fd/N, which
// no longer names anything once the program runs.
TEST_F(LauncherLocation, WithoutProcAStartThroughADescriptorEndsWithTheReason) {
  if (std::string why = whyProcCannotBeHidden(); !why.empty()) GTEST_SKIP() << why;
  for (const Installed& installed : bothLaunchers()) {
    ProgramResult result = runFromStart({kFromDescriptor, installed.launcher, "a1"}, /*hideProc=*/true);
    expectRefused(result, installed, "/proc/self/exe cannot be read (No such file or directory); it was "
                                     "started through the descriptor /dev/fd/");
  }
}

// The kernel names a deleted executable by its old path with " (deleted)"
// added; a file of exactly that name proves nothing about the running one.
TEST_F(LauncherLocation, ADeletedExecutableEndsWithTheReason) {
  for (const Installed& installed : bothLaunchers()) {
    fs::copy_file(installed.launcher, installed.launcher + " (deleted)");
    ProgramResult result =
        runFromStart({kFromDescriptor, "--unlink", installed.launcher, "a1"}, /*hideProc=*/false);
    expectRefused(result, installed,
                  "/proc/self/exe names " + installed.launcher +
                      " (deleted), which is no longer the running program; it was started through the "
                      "descriptor /dev/fd/");
  }
}

// The real path is longer than the system can name, reached through two
// short links: neither /proc nor the executed path can be resolved.
TEST_F(LauncherLocation, ARealPathTooLongToBeNamedEndsWithTheReason) {
  const Installed installed = bothLaunchers().front();
  // Twelve levels of 200 characters, twice, each half reached by a link.
  const char kDeepTree[] = R"(
    set -e
    level=$(printf 'd%.0s' $(seq 200))
    half=$(for i in $(seq 12); do printf '%s/' "$level"; done)
    cd "$1" && mkdir -p deep && cd deep
    for i in $(seq 12); do mkdir "$level" && cd "$level"; done
    ln -s "deep/$half" "$1/near"
    for i in $(seq 12); do mkdir "$level" && cd "$level"; done
    ln -s "$half" "$1/near/far"
    mkdir bin && cp "$2" bin/tool)";
  // bash, whose cd takes a relative step where the whole path is too long to name.
  ProgramResult made = runProgram("/bin/bash", {"-c", kDeepTree, "sh", dir.path(), installed.launcher});
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string executed = dir / "near/far/bin/tool";
  ProgramResult result = runFromStart({executed, "a1"}, /*hideProc=*/false);
  expectRefused(result, installed,
                "/proc/self/exe cannot be read (File name too long); the path it was started by, " + executed +
                    ", cannot be resolved (File name too long)");
  // Deeper than the file system helpers of the tests can remove.
  EXPECT_EQ(runProgram("/bin/rm", {"-rf", dir / "deep"}).status, 0);
}

}  // namespace
}  // namespace kvx::test
