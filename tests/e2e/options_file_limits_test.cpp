// Options files and substitution that could hang a start, take it hours or
// grow it to gigabytes, through the built launcher: special files are
// skipped with their reason, runaway includes end, and a runaway
// substitution ends the start with a message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
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
using Env = std::vector<std::pair<std::string, std::optional<std::string>>>;

class OptionsFileLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    layOutFakeRuntime(runtime, "17.0.2");
    app = layOutApp(dir.path(), "Foo",
                    dict({{"CFBundleName", str("Foo")},
                          {"JavaVM", dict({{"SearchSequence", strings({"R" + runtime})},
                                           {"VMOptionArray", strings({"-Dconfigured=${KVX_TEST_VALUE}"})},
                                           {"MainClass", str("M")}})}}));
  }

  // The launcher under a time limit: whatever it meets must not make it wait.
  ProgramResult start(Env env) {
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", record}, {"KVX_FAKE_JLI_EXIT", "23"},
                   {"KESTROVEL_LOG", std::nullopt},  {"DISPLAY", std::nullopt},
                   {"WAYLAND_DISPLAY", std::nullopt}, {"LANG", "C.UTF-8"},
                   {"XDG_CONFIG_HOME", dir / "config"}, {"KVX_TEST_VALUE", "v"}};
    for (auto& change : env) {
      std::erase_if(options.env, [&](const auto& old) { return old.first == change.first; });
      options.env.push_back(std::move(change));
    }
    return runProgram("/usr/bin/timeout", {"120", app.executable}, options);
  }

  TempDir dir;
  std::string runtime = dir / "jdk";
  std::string record = dir / "record";
  AppBundle app;
};

TEST_F(OptionsFileLimits, FifosDevicesAndDirectoriesAreSkippedWithTheirReasonAndTheStartGoesOn) {
  ASSERT_EQ(mkfifo((app.path + "/Contents/vmoptions.txt").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_directories(dir / "folder");
  writeFile(dir / "Foo.vmoptions",
            "-Dbefore=1\n-include-options /dev/zero\n-include-options pipe\n-include-options folder\n-Dafter=1\n");

  ProgramResult result = start({{"KESTROVEL_LOG", "yes"}});

  ASSERT_EQ(result.status, 23) << result.err;
  Strings vector = recordedVector(recordLines(record));
  auto before = std::find(vector.begin(), vector.end(), "-Dbefore=1");
  ASSERT_NE(before, vector.end());
  EXPECT_EQ(*(before - 1), "-Dconfigured=v");
  EXPECT_EQ(*(before + 1), "-Dafter=1");
  for (const std::string& line : {
           "options file " + app.path + "/Contents/vmoptions.txt cannot be read: is not a regular file",
           std::string("options file /dev/zero cannot be read: is not a regular file"),
           "options file " + dir / "pipe cannot be read: is not a regular file",
           "options file " + dir / "folder cannot be read: is a directory",
       }) {
    EXPECT_NE(result.err.find(line + "\n"), std::string::npos) << line;
  }
}

// Thirty-one files that each include the next one twice would be 2^31 reads
// in each of the two passes over the options. A remark in each file makes
// the budget run out after fewer of them, which keeps the test short even
// under a sanitizer; the benchmarks time the two-line files.
TEST_F(OptionsFileLimits, IncludesThatMultiplyEndWithinThePassBudget) {
  const int levels = 31;
  const std::string remark = "# " + std::string(1000, '=') + "\n";
  for (int i = 0; i < levels; ++i) {
    const std::string next = "-include-options level" + std::to_string(i + 1) + "\n";
    writeFile(dir / ("level" + std::to_string(i)), remark + next + next);
  }
  writeFile(dir / ("level" + std::to_string(levels)), "# the end\n");
  writeFile(dir / "Foo.vmoptions", "-Dbefore=1\n-include-options level0\n-Dafter=1\n");

  ProgramResult result = start({});

  ASSERT_EQ(result.status, 23) << result.err;
  Strings vector = recordedVector(recordLines(record));
  auto before = std::find(vector.begin(), vector.end(), "-Dbefore=1");
  ASSERT_NE(before, vector.end());
  EXPECT_EQ(*(before + 1), "-Dafter=1");
}

// 440 bytes of environment, expanded again and again, would grow one option
// to 16 GiB; read once, each value is inserted as it is.
TEST_F(OptionsFileLimits, VariablesNamingVariablesAreNotExpandedAgain) {
  // Taken before the variables it names, as the environment lists it first.
  Env env = {{"KVX_TEST_VALUE", "${KVX_BOMB_0}"}};
  for (int i = 0; i < 8; ++i) {
    std::string value;
    for (int copy = 0; copy < 8; ++copy) value += "${KVX_BOMB_" + std::to_string(i + 1) + "}";
    env.emplace_back("KVX_BOMB_" + std::to_string(i), value);
  }
  env.emplace_back("KVX_BOMB_8", "x");

  ProgramResult result = start(env);

  ASSERT_EQ(result.status, 23) << result.err;
  Strings vector = recordedVector(recordLines(record));
  EXPECT_NE(std::find(vector.begin(), vector.end(), "-Dconfigured=${KVX_BOMB_0}"), vector.end());
}

}  // namespace
}  // namespace kvx::test
