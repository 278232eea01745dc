// The built launcher in an application bundle, launching through the fake
// launch library: what reaches JLI_Launch, and how each failure ends the run.
#include <gtest/gtest.h>

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

class LaunchFakeRuntime : public ::testing::Test {
 protected:
  // Runs the bundle's launcher with the fake library recording into `record`.
  ProgramResult run(const AppBundle& app, const Strings& args,
                    std::vector<std::pair<std::string, std::optional<std::string>>> env = {}) {
    RunOptions options;
    options.env = {{"KVX_FAKE_JLI_RECORD", record},
                   {"KVX_FAKE_JLI_EXIT", "23"},
                   {"KVX_FAKE_JLI_REENTER", std::nullopt},
                   {"KESTROVEL_LOG", std::nullopt},
                   {"DISPLAY", std::nullopt},
                   {"WAYLAND_DISPLAY", std::nullopt},
                   {"LANG", "C.UTF-8"},
                   {"XDG_CONFIG_HOME", dir / "config"}};
    for (auto& change : env) {
      std::erase_if(options.env, [&](const auto& old) { return old.first == change.first; });
      options.env.push_back(std::move(change));
    }
    return runProgram(app.executable, args, options);
  }

  plist::Value configuration(plist::Dictionary javaVM, plist::Dictionary topLevel = {}) {
    javaVM.emplace_back("SearchSequence", strings({"R" + runtime}));
    topLevel.emplace_back("CFBundleName", str("Foo"));
    topLevel.emplace_back("JavaVM", dict(std::move(javaVM)));
    return dict(std::move(topLevel));
  }

  TempDir dir;
  std::string runtime = dir / "jdk";
  std::string record = dir / "record";
};

TEST_F(LaunchFakeRuntime, EveryOptionRowReachesTheLibraryInOrder) {
  layOutFakeRuntime(runtime, "17.0.2");
  AppBundle app = layOutApp(
      dir.path(), "Foo",
      configuration({{"VMOptionArray", strings({"-Xss2m", "-jvm=/configured"})},
                     {"VersionSpecificVMOptions",
                      plist::Value::array({str("*11.*"), strings({"-Dvs=11"}), str("17-21"),
                                           strings({"-Dvs=17"})})},
                     {"ClassPath", str("${launcher:sys.appRootDir}/lib/*")},
                     {"SplashFile", str("splash.png")},
                     {"ModulePath", str("mods")},
                     {"MainClass", str("com.example.Main")},
                     {"ArgumentArray", strings({"--configured", "${launcher:sys.mainBundle}"})}},
                    {{"kvx.allowPassthrough", plist::Value::boolean(true)},
                     {"CFBundleIconFile", str("Foo.icns")}}));
  writeFile(app.appRoot + "/lib/app.jar", "");
  writeFile(app.path + "/Contents/vmoptions.txt", "-Dfrom=bundle\n-classpath/p first.jar\n");
  writeFile(dir / "Foo.vmoptions", "# a comment\n-Dfrom=launcher\n-classpath/a last.jar\n-jvm=/file\n");

  ProgramResult result =
      run(app, {"-J-Xmx2g", "plain", "-J-jvm=/nowhere", "-J-Dlast=yes", "@not-a-file", "-Jx"});

  EXPECT_EQ(result.status, 23) << result.err;
  Strings expected = {app.executable,
                      "-Xss2m",
                      "-Dvs=17",
                      "-Dfrom=bundle",
                      "-Dfrom=launcher",
                      "-splash:splash.png",
                      "-Djava.class.path=first.jar:" + app.appRoot + "/lib/app.jar:last.jar",
                      "-p",
                      "mods",
                      "-Dtorqa.moduleName=" + dir.path() + "/Foo.app",
                      "-Xmx2g",
                      "-Dlast=yes",
                      "x",
                      "-Dkvx.jreBundle=" + runtime,
                      "com.example.Main",
                      "--configured",
                      app.path,
                      "plain",
                      "@not-a-file"};
  Strings got = recordLines(record);
  EXPECT_EQ(recordedVector(got), expected);
  EXPECT_EQ(recordedValue(got, "fullversion"), "17.0.2");
  EXPECT_EQ(recordedValue(got, "cwd"), app.path);
}

// What kvx-bundle writes by default and for --default-arguments: the
// configured arguments only stand in for none, and the start stays where the
// user is.
TEST_F(LaunchFakeRuntime, DefaultArgumentsStandInForNoneAndTheStartStaysWhereTheUserIs) {
  layOutFakeRuntime(runtime, "17.0.2");
  AppBundle app = layOutApp(dir.path(), "Foo",
                            configuration({{"MainClass", str("M")}, {"ArgumentArray", strings({"--default"})}},
                                          {{"kvx.allowPassthrough", plist::Value::boolean(true)},
                                           {"kvx.argumentsOnlyWhenNone", plist::Value::boolean(true)},
                                           {"kvx.keepWorkingDirectory", plist::Value::boolean(true)}}));
  const std::string module = "-Dtorqa.moduleName=" + dir.path() + "/Foo.app";
  const std::string jre = "-Dkvx.jreBundle=" + runtime;
  struct Case {
    Strings commandLine;
    Strings expected;
  };
  for (const Case& c : {Case{{}, {app.executable, module, jre, "M", "--default"}},
                        Case{{"-J-Xmx1g"}, {app.executable, module, "-Xmx1g", jre, "M", "--default"}},
                        Case{{"-J-Xmx1g", "mine", "--default"},
                             {app.executable, module, "-Xmx1g", jre, "M", "mine", "--default"}}}) {
    fs::remove(record);
    ProgramResult result = run(app, c.commandLine);
    EXPECT_EQ(result.status, 23) << result.err;
    Strings got = recordLines(record);
    EXPECT_EQ(recordedVector(got), c.expected) << (c.commandLine.empty() ? "(none)" : c.commandLine.back());
    EXPECT_EQ(recordedValue(got, "cwd"), fs::current_path().string());
  }
}

// A main module goes where the main class would, as "-m" and its value;
// named beside a main class, the module wins. Argument files are expanded
// among the options only, never in the module's value or after it.
TEST_F(LaunchFakeRuntime, AMainModuleTakesThePlaceOfTheMainClass) {
  layOutFakeRuntime(runtime, "17.0.2");
  writeFile(dir / "opts", "-Dfrom=file\n");
  struct Case {
    std::string name;
    plist::Dictionary javaVM;
  };
  for (const Case& c : {Case{"module alone", {}},
                        Case{"module beside a main class", {{"MainClass", str("com.example.Old")}}}}) {
    TempDir caseDir;
    plist::Dictionary javaVM = c.javaVM;
    javaVM.emplace_back("ModulePath", str("${launcher:sys.appRootDir}/mods"));
    javaVM.emplace_back("VMOptionArray", strings({"@" + dir.path() + "/opts"}));
    AppBundle app = layOutApp(caseDir.path(), "Foo",
                              configuration(javaVM, {{"kvx.mainModule", str("hello.mod/hello.mod.Main")}}));
    fs::remove(record);

    ProgramResult result = run(app, {"@" + dir.path() + "/opts", "plain"});

    EXPECT_EQ(result.status, 23) << c.name << ": " << result.err;
    Strings expected = {app.executable,
                        "-Dfrom=file",
                        "-p",
                        app.appRoot + "/mods",
                        "-Dtorqa.moduleName=" + caseDir.path() + "/Foo.app",
                        "-Dkvx.jreBundle=" + runtime,
                        "-m",
                        "hello.mod/hello.mod.Main",
                        "@" + dir.path() + "/opts",
                        "plain"};
    EXPECT_EQ(recordedVector(recordLines(record)), expected) << c.name;
  }
}

TEST_F(LaunchFakeRuntime, TheLibraryReentersMainWithoutAnyConfigurationBeingRead) {
  layOutFakeRuntime(runtime, "17.0.2");
  AppBundle app = layOutApp(dir.path(), "Foo", configuration({{"MainClass", str("M")}}));

  ProgramResult result =
      run(app, {"a1"}, {{"KVX_FAKE_JLI_REENTER", "1"}, {"KVX_FAKE_JLI_EXIT", "42"}, {"KESTROVEL_LOG", "yes"}});

  EXPECT_EQ(result.status, 42) << result.err;
  Strings got = recordLines(record);
  auto reentry = std::find(got.begin(), got.end(), "call reentry");
  ASSERT_NE(reentry, got.end()) << result.err;
  // The second call gets the same vector and the same fixed arguments.
  Strings first(got.begin() + 2, reentry);
  Strings second(reentry + 2, reentry + 2 + static_cast<long>(first.size()));
  EXPECT_EQ(second, first);
  EXPECT_NE(std::find(got.begin(), got.end(), "main returned 42"), got.end());
  auto countOf = [&](const std::string& text) {
    size_t n = 0;
    for (size_t at = result.err.find(text); at != std::string::npos; at = result.err.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(countOf("] launcher_main "), 2u) << result.err;
  EXPECT_EQ(countOf("embedded config"), 1u) << result.err;
}

TEST_F(LaunchFakeRuntime, NoSuitableRuntimeShowsTheMinimumVersionAndOpensNoLibrary) {
  layOutFakeRuntime(runtime, "11.0.2");
  AppBundle app = layOutApp(dir.path(), "Foo", configuration({{"MainClass", str("M")}},
                                                            {{"kvx.minVersion", str("17")}}));
  ProgramResult result = run(app, {});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("Java 17 or later is needed to run Foo."), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(record));
}

TEST_F(LaunchFakeRuntime, LaunchFailuresEndTheRunWithTheirReason) {
  struct Case {
    std::string name;
    std::string libraryVariant;  // empty: no library in the runtime
    bool mainClass;
    std::string reason;
  };
  for (const Case& c : {Case{"missing library", "", true, "Could not load JRE."},
                        Case{"no JLI_Launch", "fake-jli-no-launch", true,
                             "Could not get function pointer for JLI_Launch."},
                        Case{"no main class", "fake-jli", false, "\"MainClass\""}}) {
    TempDir caseDir;
    plist::Dictionary javaVM;
    if (c.mainClass) javaVM.emplace_back("MainClass", str("M"));
    AppBundle app = layOutApp(caseDir.path(), "Foo", dict({{"CFBundleName", str("Foo")},
                                                           {"JavaVM", dict(javaVM)}}));
    // A runtime shipped as a plain home in the application is taken unchecked.
    fs::create_directories(app.appRoot + "/.kestrovel/jre");
    if (!c.libraryVariant.empty()) placeFakeLibrary(app.appRoot + "/.kestrovel/jre/lib/libjli.so", c.libraryVariant);

    ProgramResult result = run(app, {});

    EXPECT_EQ(result.status, 1) << c.name;
    EXPECT_NE(result.err.find("internal error: "), std::string::npos) << c.name << ": " << result.err;
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << c.name << ": " << result.err;
    EXPECT_FALSE(fs::exists(record)) << c.name;
  }
}

}  // namespace
}  // namespace kvx::test
