// The launcher's own work before JLI_Launch: an application bundle with a
// typical configuration (two options files, a wildcard class path,
// version-specific options), handing over to the fake launch library, which
// returns at once. Target: under 3 ms for the work itself, measured in this
// process from reading Info.plist to the return of JLI_Launch; the same run as
// a whole process, and an empty process for comparison, show what starting a
// process adds on this machine.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "platform/main_bundle.h"
#include "plist/plist.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using kvx::plist::Value;

void write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

Value strings(const std::vector<std::string>& items) {
  kvx::plist::Array array;
  for (const std::string& item : items) array.push_back(Value::string(item));
  return Value::array(std::move(array));
}

// Lays out root/Foo.app, its options files and a runtime home whose launch
// library is the fake one; returns the launcher's path, or "" without the fake.
std::string layOut(const fs::path& root) {
  fs::path fake = KVX_BUILD_DIR "/libfake-jli.so";
  if (!fs::exists(fake)) return "";
  fs::path jdk = root / "jdk";
  write(jdk / "release", "JAVA_VERSION=\"17.0.2\"\n");
  fs::create_directories(jdk / "lib");
  fs::copy_file(fake, jdk / "lib/libjli.so", fs::copy_options::overwrite_existing);

  fs::path app = root / "Foo.app";
  fs::path appRoot = app / "Contents/Resources/app";
  for (int i = 0; i < 40; ++i) write(appRoot / "lib" / ("lib" + std::to_string(i) + ".jar"), "");
  write(app / "Contents/vmoptions.txt", "# bundle options\n-Xmx512m\n-Dbundle=yes\n");
  write(root / "Foo.vmoptions", "# user options\n-Duser=${HOME}\n-classpath/a ${launcher:sys.appRootDir}/extra.jar\n");
  kvx::plist::Dictionary javaVM = {
      {"SearchSequence", strings({"R" + jdk.string()})},
      {"MainClass", Value::string("com.example.Main")},
      {"ClassPath", Value::string("${launcher:sys.appRootDir}/lib/*")},
      {"VMOptionArray", strings({"-Xss2m", "-Dapp.root=${launcher:sys.appRootDir}"})},
      {"VersionSpecificVMOptions",
       Value::array({Value::string("*11.*"), strings({"-Dv=11"}), Value::string("17-21"),
                     strings({"-Dv=17"})})},
      {"ArgumentArray", strings({"--mode", "${launcher:sys.mainBundle}"})}};
  kvx::plist::Dictionary info = {{"CFBundleName", Value::string("Foo")},
                                 {"kvx.allowPassthrough", Value::boolean(true)},
                                 {"JavaVM", Value::dictionary(std::move(javaVM))}};
  write(app / "Contents/Info.plist", kvx::plist::writeBinary(Value::dictionary(std::move(info))));
  fs::path launcher = app / "Contents/MacOS/Foo";
  fs::create_directories(launcher.parent_path());
  fs::copy_file(KVX_BUILD_DIR "/kvx-launcher", launcher, fs::copy_options::overwrite_existing);
  return launcher.string();
}

int runOnce(const std::string& launcher) {
  std::vector<std::string> args = {launcher, "-J-Xmx1g", "input.txt"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, launcher.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An installation in a temporary folder whose launches end quietly in the
// fake library; removed with this value. An empty launcher when the fake
// library is not built.
struct FakeInstallation {
  FakeInstallation() {
    char pattern[] = "/tmp/kvx-bench-XXXXXX";
    root = mkdtemp(pattern);
    launcher = layOut(root);
    unsetenv("KVX_FAKE_JLI_RECORD");
    unsetenv("KESTROVEL_LOG");
    setenv("KVX_FAKE_JLI_EXIT", "0", 1);
  }
  ~FakeInstallation() { fs::remove_all(root); }

  fs::path root;
  std::string launcher;
};

constexpr const char* kNoFakeLibrary = "the fake launch library is not built (build with the tests)";

void BM_LauncherWorkBeforeJLILaunch(benchmark::State& state) {
  FakeInstallation installation;
  const std::string& launcher = installation.launcher;
  if (launcher.empty()) {
    state.SkipWithError(kNoFakeLibrary);
    return;
  }
  fs::path start = fs::current_path();
  for (auto _ : state) {
    kvx::RunState run;
    run.arguments = {launcher};
    run.mainBundle = kvx::platform::mainBundleForExecutable(launcher);
    if (kvx::Launcher::launcher(run)->load().launch() != 0) {
      state.SkipWithError("the launch did not reach the fake library");
    }
  }
  fs::current_path(start);
}
BENCHMARK(BM_LauncherWorkBeforeJLILaunch)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);

void BM_WholeProcessToJLILaunch(benchmark::State& state) {
  FakeInstallation installation;
  const std::string& launcher = installation.launcher;
  if (launcher.empty()) {
    state.SkipWithError(kNoFakeLibrary);
    return;
  }
  if (runOnce(launcher) != 0) state.SkipWithError("the launcher did not reach the fake library");
  for (auto _ : state) benchmark::DoNotOptimize(runOnce(launcher));
}
BENCHMARK(BM_WholeProcessToJLILaunch)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);

void BM_EmptyProcess(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(runOnce("/bin/true"));
}
BENCHMARK(BM_EmptyProcess)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
