// launch() against the fake launch library, loaded into the test process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/argument_vector.h"
#include "launcher/launcher.h"
#include "run/globals.h"
#include "base/exception.h"
#include "test_support/app_bundle.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

class LaunchWithFakeLibrary : public ::testing::Test {
 protected:
  // A launcher whose runtime is dir/jdk, taken as a plain home is (its
  // version unknown), and whose vector is entries.
  Launcher launcherWith(const std::vector<std::string>& entries) {
    Launcher launcher{run};
    launcher.runtime.emplace();
    launcher.runtime->javaBundlePath = runtime;
    launcher.runtime->launchVersion = "1.7.0";
    launcher.argv = makeArgumentVector(entries);
    launcher.argc = static_cast<int>(entries.size());
    return launcher;
  }

  std::vector<std::string> record() const { return recordLines(recordPath); }

  RunState run;
  TempDir dir;
  std::string runtime = dir / "jdk";
  std::string recordPath = dir / "record";
  ScopedEnv recordEnv{"KVX_FAKE_JLI_RECORD", recordPath};
  ScopedEnv reenterEnv{"KVX_FAKE_JLI_REENTER", std::nullopt};
};

TEST_F(LaunchWithFakeLibrary, HandsTheVectorAndTheFixedArgumentsToJLILaunch) {
  layOutFakeRuntime(runtime, "17.0.2");
  ScopedEnv exitCode("KVX_FAKE_JLI_EXIT", "37");
  std::vector<std::string> entries =
      launchVectorEntries("/Apps/Foo.app/Contents/MacOS/Foo", {"o1", "o2"}, runtime, {"M"}, {"a1", "a2"});
  Launcher launcher = launcherWith(entries);

  EXPECT_EQ(launcher.launch(), 37);

  std::vector<std::string> expected = {
      "call first",
      "library " + runtime + "/lib/libjli.so",
      "argc 7",
      "argv[0] /Apps/Foo.app/Contents/MacOS/Foo",
      "argv[1] o1",
      "argv[2] o2",
      "argv[3] -Dkvx.jreBundle=" + runtime,
      "argv[4] M",
      "argv[5] a1",
      "argv[6] a2",
      "argv[7] (null)",
      "jargc 0",
      "jargv (null)",
      "appclassc 0",
      "appclassv (null)",
      "fullversion 1.7.0",
      "dotversion 1.7.0",
      "pname java",
      "lname java",
      "javaargs 0",
      "cpwildcard 0",
      "javaw 0",
      "ergo 0",
  };
  std::vector<std::string> got = record();
  ASSERT_GE(got.size(), expected.size());
  got.resize(expected.size());
  EXPECT_EQ(got, expected);
  EXPECT_NE(JLI_LaunchFxnPtr, nullptr);
}

TEST_F(LaunchWithFakeLibrary, PassesAKnownVersionAsItStands) {
  layOutFakeRuntime(runtime, "17.0.2");
  Launcher launcher = launcherWith({"prog", "M"});
  launcher.runtime->launchVersion = "17.0.2";
  launcher.launch();
  EXPECT_EQ(recordedValue(record(), "fullversion"), "17.0.2");
  EXPECT_EQ(recordedValue(record(), "dotversion"), "17.0.2");
  // A re-entry into main hands JLI_Launch the same version by this name.
  EXPECT_STREQ(launchJavaVersion, "17.0.2");
}

struct LibraryPlaces {
  std::vector<std::string> present;  // relative to the runtime directory
  std::string opened;
};

class LibraryChoice : public LaunchWithFakeLibrary,
                      public ::testing::WithParamInterface<LibraryPlaces> {};

TEST_P(LibraryChoice, OpensTheFirstPlaceThatExists) {
  for (const std::string& place : GetParam().present) placeFakeLibrary(runtime + "/" + place);
  Launcher launcher = launcherWith({"prog", "M"});
  launcher.launch();
  EXPECT_EQ(recordedValue(record(), "library"), runtime + "/" + GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Places, LibraryChoice,
    ::testing::Values(
        LibraryPlaces{{"Contents/Home/jre/lib/jli/libjli.so", "Contents/Home/lib/jli/libjli.so"},
                      "Contents/Home/jre/lib/jli/libjli.so"},
        LibraryPlaces{{"Contents/Home/lib/jli/libjli.so", "lib/libjli.so"},
                      "Contents/Home/lib/jli/libjli.so"},
        LibraryPlaces{{"Contents/Home/lib/libjli.so", "lib/jli/libjli.so"},
                      "Contents/Home/lib/libjli.so"},
        LibraryPlaces{{"lib/jli/libjli.so", "lib/libjli.so"}, "lib/jli/libjli.so"},
        LibraryPlaces{{"lib/libjli.so"}, "lib/libjli.so"}));

TEST_F(LaunchWithFakeLibrary, APluginRuntimeOpensThePluginLibraryWhateverTheRuntimePath) {
  layOutFakeRuntime(runtime, "17.0.2");
  std::string plugin = dir / "Plugin/Contents/Home/lib/jli/libjli.so";
  placeFakeLibrary(plugin);
  Launcher launcher = launcherWith({"prog", "M"});
  launcher.searchRoots.pluginLibrary = plugin;
  launcher.runtime->pluginUsed = true;
  launcher.launch();
  EXPECT_EQ(recordedValue(record(), "library"), plugin);
}

TEST_F(LaunchWithFakeLibrary, FailuresToOpenOrToFindJLILaunchRaiseJavaLaunchError) {
  struct Case {
    const char* variant;  // null: no library at all
    const char* reason;
  };
  for (const Case& c : {Case{nullptr, "Could not load JRE."},
                        Case{"fake-jli-no-launch", "Could not get function pointer for JLI_Launch."}}) {
    TempDir runtimeDir;
    if (c.variant) placeFakeLibrary(runtimeDir / "lib/libjli.so", c.variant);
    Launcher launcher = launcherWith({"prog", "M"});
    launcher.runtime->javaBundlePath = runtimeDir.path();
    try {
      launcher.launch();
      ADD_FAILURE() << "no exception for " << (c.variant ? c.variant : "a missing library");
    } catch (const PlatformException& e) {
      EXPECT_EQ(e.name(), "JavaLaunchError");
      EXPECT_EQ(e.reason(), c.reason);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(recordPath));
}

TEST_F(LaunchWithFakeLibrary, ArgumentFilesAreExpandedByTheLibraryAmongTheOptionsOnly) {
  layOutFakeRuntime(runtime, "17.0.2");
  writeFile(dir / "opts", "-Da=1\n-Db=2\n");
  writeFile(dir / "more", "x y");
  std::string opts = "@" + dir.path() + "/opts";
  std::string more = "@" + dir.path() + "/more";
  Launcher launcher = launcherWith({"@prog", "-Dz=0", opts, "M", more, "@missing"});
  launcher.mainClassEntry = 3;
  launcher.launch();

  std::vector<std::string> got = record();
  EXPECT_EQ(recordedVector(got), (std::vector<std::string>{"@prog", "-Dz=0", "-Da=1", "-Db=2", "M",
                                                           more, "@missing"}));
  EXPECT_EQ(recordedValue(got, "argc"), "7");
  EXPECT_EQ(recordedValue(got, "initArgProcessing"), "1 0");
  // The options are offered with the expand flag set; neither the program
  // path nor the main class and the program's own arguments are.
  std::vector<std::string> offered;
  for (const std::string& line : got) {
    if (line.rfind("preprocess ", 0) == 0) offered.push_back(line.substr(11));
  }
  EXPECT_EQ(offered, (std::vector<std::string>{"-Dz=0 1", opts + " 1"}));
  EXPECT_EQ(launcher.argc, 7);
  EXPECT_EQ(launcher.argv[7], nullptr);
}

TEST_F(LaunchWithFakeLibrary, ArgumentFilesStayUnexpandedWithoutTheListFunctions) {
  layOutFakeRuntime(runtime, "17.0.2", "fake-jli-no-list-functions");
  writeFile(dir / "opts", "-Da=1\n");
  std::vector<std::string> entries = {"prog", "@" + dir.path() + "/opts", "M"};
  Launcher launcher = launcherWith(entries);
  launcher.launch();
  EXPECT_EQ(recordedVector(record()), entries);
}

TEST_F(LaunchWithFakeLibrary, AVectorWithoutArgumentFilesNeverCallsTheListFunctions) {
  layOutFakeRuntime(runtime, "17.0.2");
  // An "@" in the program's own arguments names no argument file.
  std::vector<std::string> entries = {"prog", "-Dx=a@b", "M", "a@", "@notes.txt"};
  Launcher launcher = launcherWith(entries);
  launcher.mainClassEntry = 2;
  launcher.launch();
  std::vector<std::string> got = record();
  EXPECT_EQ(recordedVector(got), entries);
  EXPECT_EQ(recordedValue(got, "initArgProcessing"), "<absent>");
  EXPECT_EQ(recordedValue(got, "preprocess"), "<absent>");
}

}  // namespace
}  // namespace kvx::test
