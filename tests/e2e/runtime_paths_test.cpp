// The runtime the built launcher checks is the runtime it loads: a relative
// runtime path names the same directory after the start has changed into
// its working directory, and a plain runtime home is judged by the very
// library file the launch opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// What reached the fake library: the file it was loaded from, the runtime
// named to the application and the version handed over.
struct Launched {
  int status = -1;
  std::string library;
  std::string jreBundle;
  std::string version;
  std::string err;
};

class RuntimePaths : public ::testing::Test {
 protected:
  // Starts the application from directory cwd and reads the record.
  Launched launchFrom(const std::string& cwd, const plist::Value& javaVM, const Strings& args,
                      const std::vector<std::pair<std::string, std::optional<std::string>>>& env = {}) {
    AppBundle app = layOutApp(dir.path(), "Foo",
                              dict({{"CFBundleName", str("Foo")},
                                    {"kvx.allowPassthrough", plist::Value::boolean(true)},
                                    {"JavaVM", javaVM}}));
    Strings command = {"30", "/bin/sh", "-c", "cd \"$1\" && shift && exec \"$@\"", "sh", cwd, app.executable};
    command.insert(command.end(), args.begin(), args.end());
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", dir / "record"}, {"KESTROVEL_LOG", std::nullopt},
                   {"DISPLAY", std::nullopt},             {"WAYLAND_DISPLAY", std::nullopt},
                   {"JAVA_HOME", std::nullopt},           {"XDG_CONFIG_HOME", dir / "config"}};
    options.env.insert(options.env.end(), env.begin(), env.end());
    fs::remove(dir / "record");
    ProgramResult result = runProgram("/usr/bin/timeout", command, options);
    Strings record = recordLines(dir / "record");
    Launched launched{result.status, recordedValue(record, "library"), "<absent>",
                      recordedValue(record, "fullversion"), result.err};
    for (const std::string& entry : recordedVector(record)) {
      if (entry.starts_with("-Dkvx.jreBundle=")) launched.jreBundle = entry.substr(16);
    }
    return launched;
  }

  TempDir dir;
};

// The application changes into its bundle before the library is opened. A
// runtime named relative to the start directory, however it was named, is
// the one loaded, not the trap of the same name in the bundle.
TEST_F(RuntimePaths, ARelativeRuntimeIsLoadedFromWhereItWasChecked) {
  const std::string start = dir / "start";
  layOutFakeRuntime(start + "/rt", "17.0.4");
  layOutFakeRuntime(dir / "Foo.app/rt", "17.0.9");
  const plist::Value main = str("Main");
  const struct {
    const char* name;
    plist::Value javaVM;
    Strings args;
    std::vector<std::pair<std::string, std::optional<std::string>>> env;
  } cases[] = {
      {"-jvm= on the command line", dict({{"MainClass", main}}), {"-J-jvm=rt"}, {}},
      {"-jvm= with ./ and a trailing /", dict({{"MainClass", main}}), {"-J-jvm=./rt/"}, {}},
      {"an R entry", dict({{"MainClass", main}, {"SearchSequence", strings({"Rrt"})}}), {}, {}},
      {"JAVA_HOME", dict({{"MainClass", main}, {"SearchSequence", strings({"EJAVA_HOME"})}}), {},
       {{"JAVA_HOME", "rt"}}},
      {"an authorisation restart", dict({{"MainClass", main}}), {"__kvx_auth_restart", "rt"}, {}},
  };
  for (const auto& c : cases) {
    Launched launched = launchFrom(start, c.javaVM, c.args, c.env);
    EXPECT_EQ(launched.status, 0) << c.name << "\n" << launched.err;
    EXPECT_EQ(launched.library, start + "/rt/lib/libjli.so") << c.name;
    EXPECT_EQ(launched.jreBundle, start + "/rt") << c.name;
    EXPECT_EQ(launched.version, "17.0.4") << c.name;
  }
}

// A plain home with both lib/libjli.so and lib/jli/libjli.so is launched
// through the second; whichever of the two is built for another processor,
// the decision to take the home or pass it over follows that second file.
TEST_F(RuntimePaths, APlainHomeIsJudgedByTheLibraryItIsLaunchedThrough) {
  const std::string fallback = layOutFakeRuntime(dir / "fallback", "17.0.1");
  const plist::Value javaVM =
      dict({{"MainClass", str("Main")}, {"SearchSequence", strings({"R" + dir / "both", "R" + fallback})}});
  const struct {
    const char* brokenFile;
    const char* workingFile;
    std::string expectedLibrary;
  } cases[] = {
      {"lib/jli/libjli.so", "lib/libjli.so", fallback + "/lib/libjli.so"},
      {"lib/libjli.so", "lib/jli/libjli.so", dir / "both/lib/jli/libjli.so"},
  };
  for (const auto& c : cases) {
    fs::remove_all(dir / "both");
    layOutFakeRuntime(dir / "both", "17.0.2");
    placeFakeLibrary(dir / "both" + "/" + c.workingFile);
    writeFile(dir / "both" + "/" + c.brokenFile, foreignExecutable());
    Launched launched = launchFrom(dir.path(), javaVM, {});
    EXPECT_EQ(launched.status, 0) << c.brokenFile << " broken\n" << launched.err;
    EXPECT_EQ(launched.library, c.expectedLibrary) << c.brokenFile << " broken";
  }
}

}  // namespace
}  // namespace kvx::test
