// The runtime that the built launcher hands to JLI_Launch when the choice
// depends on its own command line: an authorisation restart, and "-jvm="
// given through "-J" on the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

class RuntimeChoiceOnTheCommandLine : public ::testing::Test {
 protected:
  RuntimeChoiceOnTheCommandLine() {
    layOutFakeRuntime(dir / "searched", "17.0.2");
    layOutFakeRuntime(dir / "from-file", "17.0.3");
    layOutFakeRuntime(dir / "from-command-line", "17.0.4");
    layOutFakeRuntime(dir / "handed-over", "1.6.0_65");
  }

  // The "-Dkvx.jreBundle=" entry and the version that reached the library.
  std::pair<std::string, std::string> launchWith(const std::vector<std::string>& args) {
    AppBundle app = layOutApp(
        dir.path(), "Foo",
        dict({{"kvx.allowPassthrough", plist::Value::boolean(true)},
              {"kvx.minVersion", str("17")},
              {"JavaVM", dict({{"MainClass", str("Main")},
                               {"SearchSequence", strings({"R" + dir / "searched"})}})}}));
    writeFile(dir / "Foo.vmoptions", "-jvm=" + dir / "from-file" + "\n");
    std::filesystem::remove(dir / "record");
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", dir / "record"}, {"KESTROVEL_LOG", std::nullopt}};
    ProgramResult result = runProgram(app.executable, args, options);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> record = recordLines(dir / "record");
    std::string bundle = "<absent>";
    for (const std::string& entry : recordedVector(record)) {
      if (entry.rfind("-Dkvx.jreBundle=", 0) == 0) bundle = entry.substr(16);
    }
    return {bundle, recordedValue(record, "fullversion")};
  }

  TempDir dir;
};

TEST_F(RuntimeChoiceOnTheCommandLine, TheCommandLineOverrideBeatsTheOptionsFile) {
  EXPECT_EQ(launchWith({"-J-jvm=" + dir / "from-command-line"}),
            std::make_pair(dir / "from-command-line", std::string("17.0.4")));
  EXPECT_EQ(launchWith({}), std::make_pair(dir / "from-file", std::string("17.0.3")));
}

TEST_F(RuntimeChoiceOnTheCommandLine, AnAuthorisationRestartTakesItsRuntimeWhateverTheLimits) {
  EXPECT_EQ(launchWith({"__kvx_auth_restart", dir / "handed-over", "-J-jvm=" + dir / "from-command-line"}),
            std::make_pair(dir / "handed-over", std::string("1.6.0")));
  // Without a path after it the marker does nothing.
  EXPECT_EQ(launchWith({"__kvx_auth_restart"}), std::make_pair(dir / "from-file", std::string("17.0.3")));
}

// A shipped runtime that cannot be unpacked ends the start at the entry:
// the message, status 1, and the runtime never reaches JLI_Launch.
TEST(ShippedRuntimeOnTheBundleRoad, AFailedUnpackIsReportedAndEndsWithOne) {
  TempDir dir;
  AppBundle app = layOutApp(dir.path(), "Foo",
                            dict({{"CFBundleName", str("Foo")}, {"JavaVM", dict({{"MainClass", str("Main")}})}}));
  const std::string home = layOutFakeRuntime(app.appRoot + "/.kestrovel/jre", "17.0.2");
  std::filesystem::create_directories(home + "/bin");
  std::filesystem::copy_file(KVX_BUILD_DIR "/unpack200-standin", home + "/bin/unpack200");
  writeFile(home + "/lib/rt.jar.pack", "FAIL");
  RunOptions options;
  options.env = {{"KVX_FAKE_JLI_RECORD", dir / "record"}, {"KESTROVEL_LOG", std::nullopt},
                 {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"LANGUAGE", "en"}};
  ProgramResult result = runProgram(app.executable, {}, options);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("Foo: The application could not be started because of an internal error: "
                            "could not run unpack200\n"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "record"));
}

}  // namespace
}  // namespace kvx::test
