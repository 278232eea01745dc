// FIFOs and devices where the launcher expects a file: each is skipped or
// refused as a missing file would be, and no start waits on one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

void makeFifo(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  fs::remove(path);
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
}

class FifosAndDevices : public ::testing::Test {
 protected:
  // The bundle's launcher under a time limit: a start that waits on a FIFO
  // ends killed (status 137) instead of hanging the suite.
  ProgramResult run(const AppBundle& app) {
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", record},
                   {"KVX_FAKE_JLI_EXIT", "23"},
                   {"KESTROVEL_LOG", std::nullopt},
                   {"DISPLAY", std::nullopt},
                   {"WAYLAND_DISPLAY", std::nullopt},
                   {"LANG", "C.UTF-8"},
                   {"XDG_CONFIG_HOME", dir / "config"}};
    return runProgram("/usr/bin/timeout", {"-s", "KILL", "20", app.executable}, options);
  }

  AppBundle layOut(const std::vector<std::string>& runtimes) {
    std::vector<std::string> sequence;
    for (const std::string& home : runtimes) sequence.push_back("R" + home);
    return layOutApp(dir.path(), "Foo",
                     dict({{"CFBundleName", str("Foo")},
                           {"JavaVM", dict({{"SearchSequence", strings(sequence)},
                                            {"MainClass", str("Main")}})}}));
  }

  std::string loadedLibrary() {
    for (const std::string& line : recordLines(record)) {
      if (line.starts_with("library ")) return line.substr(8);
    }
    return "<none>";
  }

  TempDir dir;
  std::string record = dir / "record";
};

TEST_F(FifosAndDevices, AFifoOrADeviceAsInformationDictionaryEndsTheStartAsAMissingOneDoes) {
  AppBundle app = layOut({layOutFakeRuntime(dir / "jdk", "17.0.2")});
  std::string info = app.path + "/Contents/Info.plist";
  fs::remove(info);
  ProgramResult missing = run(app);
  EXPECT_EQ(missing.err, "Foo: The application could not be started because its configuration "
                         "cannot be used: " + info + ": does not exist\n");

  makeFifo(info);
  ProgramResult fifo = run(app);
  fs::remove(info);
  fs::create_symlink("/dev/zero", info);
  ProgramResult device = run(app);

  for (const ProgramResult& refused : {fifo, device}) {
    EXPECT_EQ(refused.status, missing.status) << "137: the start waited on the file";
    EXPECT_EQ(refused.err, "Foo: The application could not be started because its configuration "
                           "cannot be used: " + info + ": cannot be read: is not a regular file\n");
  }
}

TEST_F(FifosAndDevices, AFifoAsThePreferencesOfEveryApplicationIsPassedOver) {
  std::string runtime = layOutFakeRuntime(dir / "jdk", "17.0.2");
  AppBundle app = layOut({runtime});
  makeFifo(dir / "config/kestrovel/preferences/.GlobalPreferences.plist");

  ProgramResult result = run(app);

  EXPECT_EQ(result.status, 23) << result.err;
  EXPECT_EQ(loadedLibrary(), runtime + "/lib/libjli.so");
}

TEST_F(FifosAndDevices, ARuntimeWithAFifoOrADeviceForAFileIsPassedOverForTheNext) {
  for (const char* broken : {"release", "lib/libjli.so"}) {
    SCOPED_TRACE(broken);
    TempDir here;
    std::string fifoHome = layOutFakeRuntime(here / "fifo-jdk", "21.0.1");
    makeFifo(fifoHome + "/" + broken);
    std::string deviceHome = layOutFakeRuntime(here / "device-jdk", "21.0.1");
    fs::remove(deviceHome + "/" + broken);
    fs::create_symlink("/dev/zero", deviceHome + "/" + broken);
    std::string good = layOutFakeRuntime(here / "jdk", "17.0.2");
    AppBundle app = layOut({fifoHome, deviceHome, good});

    ProgramResult result = run(app);

    EXPECT_EQ(result.status, 23) << result.err;
    EXPECT_EQ(loadedLibrary(), good + "/lib/libjli.so");
    fs::remove(record);
  }
}

}  // namespace
}  // namespace kvx::test
