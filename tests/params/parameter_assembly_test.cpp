// readJavaParameters in the test process: the configuration, both options
// files and the launcher's own properties, assembled in their fixed order.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/exception.h"
#include "java_runtime/runtime_names.h"
#include "params/java_parameters.h"
#include "params/runtime_version_options.h"
#include "platform/process.h"
#include "test_support/app_bundle.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class ParameterAssembly : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(appRoot);
    run.launcherDirAndName = stem;
    run.mainBundlePath = stem + ".app";
    run.launcherDirInApp = appRoot;
    run.appRootDir = appRoot;
    run.arguments = {stem, "from the command line", "-Jnot-passed-through"};
    runtime.javaVersion = "17.0.2";
    runtime.javaMajorVersion = 17;
  }
  void TearDown() override { fs::current_path(startDirectory); }

  void assemble(plist::Dictionary javaVM, plist::Dictionary topLevel = {}) {
    topLevel.emplace_back("JavaVM", dict(std::move(javaVM)));
    config = dict(std::move(topLevel));
    run.infoDictionary = &config;
    JavaParameters(run, runtime).readJavaParameters(options, mainClass, args, &firstThread);
  }

  // The arguments that the start's own command line adds.
  Strings commandLineArguments() const { return Strings(run.arguments.begin() + 1, run.arguments.end()); }

  fs::path startDirectory = fs::current_path();
  TempDir dir;
  std::string stem = dir / "Foo";
  std::string appRoot = stem + ".app/Contents/Resources/app";
  ScopedEnv preferences{"XDG_CONFIG_HOME", dir / "config"};
  plist::Value config;
  RunState run;
  RuntimeChoice runtime;
  Strings options{"left over"};
  std::optional<MainEntry> mainClass;
  Strings args{"left over"};
  bool firstThread = false;
};

TEST_F(ParameterAssembly, AGuiLauncherAddsEveryRowInOrder) {
  writeFile(stem + ".app/Contents/vmoptions.txt", "-Dfrom=bundle\n-jvm=/elsewhere\n");
  writeFile(stem + ".vmoptions", "-Dfrom=launcher\n-classpath/a late.jar\n");
  writeFile(dir / "lib/b.jar", "");
  ScopedEnv argument("KVX_TEST_ARGUMENT", "expanded");
  assemble(
      {{"VMOptionArray", strings({"-Xmx64m", "-jvm=/configured"})},
       {"VersionSpecificVMOptions", plist::Value::array({str("1-8"), strings({"-Dold"}), str("17-17"),
                                                         strings({"-Dversion=17"})})},
       {"ClassPath", str("a.jar:" + dir.path() + "/lib/*")},
       {"SplashFile", str("${launcher:sys.appRootDir}/splash.png")},
       {"ModulePath", str("mods")},
       {"MainClass", str("com.example.${KVX_TEST_ARGUMENT}")},
       {"ArgumentArray", strings({"first", "${KVX_TEST_ARGUMENT}"})},
       {"StartOnMainThread", plist::Value::boolean(true)}},
      {{"CFBundleName", str("Foo")}, {"CFBundleIconFile", str("Foo.icns")}});

  Strings expected = {"-Xmx64m",
                      "-Dversion=17",
                      "-Dfrom=bundle",
                      "-Dfrom=launcher",
                      "-splash:" + appRoot + "/splash.png",
                      "-Djava.class.path=a.jar:" + dir.path() + "/lib/b.jar:late.jar",
                      "-p",
                      "mods"};
  if constexpr (kPlatformHasDock) expected.push_back("-Xdock:name=Foo");
  expected.push_back("-Dtorqa.moduleName=" + stem + ".app");
  EXPECT_EQ(options, expected);
  EXPECT_EQ(mainClass, (MainEntry{false, "com.example.${KVX_TEST_ARGUMENT}"}));
  Strings expectedArgs = {"first", "expanded"};
  for (const std::string& a : commandLineArguments()) expectedArgs.push_back(a);
  EXPECT_EQ(args, expectedArgs);
  EXPECT_TRUE(firstThread);
  EXPECT_EQ(fs::current_path(), fs::path(stem + ".app"));
}

TEST_F(ParameterAssembly, ACommandLineLauncherAddsItsOwnPropertiesInsteadOfTheBundleOnes) {
  run.guiLauncher = false;
  run.mainBundlePath.reset();
  writeFile(stem + ".app/Contents/vmoptions.txt", "-Dfrom=bundle\n");
  writeFile(stem + ".vmoptions", "-Dfrom=launcher\n");
  struct Case {
    OptString configFileId;
    OptString serviceMode;
    Strings expected;
  };
  std::string module = "-Dtorqa.moduleName=" + stem;
  for (const Case& c :
       {Case{"cfg-1", "run", {"-Dfrom=launcher", module, "-Dkvx.configFileId=cfg-1", "-Dkvx.service=run"}},
        Case{"cfg-1", std::nullopt, {"-Dfrom=launcher", module, "-Dkvx.configFileId=cfg-1"}},
        Case{std::nullopt, std::nullopt, {"-Dfrom=launcher", module}}}) {
    run.serviceMode = c.serviceMode;
    plist::Dictionary top = {{"CFBundleName", str("Foo")}};
    if (c.configFileId) top.emplace_back("kvx.configFileId", str(*c.configFileId));
    assemble({{"MainClass", str("M")}}, top);
    EXPECT_EQ(options, c.expected) << c.configFileId.value_or("(no id)");
  }
  EXPECT_EQ(fs::current_path(), startDirectory) << "a command-line launcher stays where it started";
}

TEST_F(ParameterAssembly, WithoutClassPathOrMainClassNeitherIsInvented) {
  assemble({{"ClassPath", str(dir.path() + "/missing/*")}, {"ModulePath", str("")}});
  EXPECT_EQ(options, Strings{"-Dtorqa.moduleName=" + stem + ".app"});
  EXPECT_EQ(mainClass, std::nullopt);
  EXPECT_FALSE(firstThread);
}

// "kvx.mainModule" names what runs in place of "MainClass", and wins over
// it; both are taken as written, and the module's entries are "-m" and it.
TEST_F(ParameterAssembly, AMainModuleWinsOverAMainClass) {
  struct Case {
    OptString mainClass;
    OptString mainModule;
    std::optional<MainEntry> expected;
    Strings entries;
  };
  for (const Case& c : {Case{"a.Main", std::nullopt, MainEntry{false, "a.Main"}, {"a.Main"}},
                        Case{std::nullopt, "m/${x}.Main", MainEntry{true, "m/${x}.Main"}, {"-m", "m/${x}.Main"}},
                        Case{"a.Main", "m", MainEntry{true, "m"}, {"-m", "m"}},
                        Case{std::nullopt, std::nullopt, std::nullopt, {}}}) {
    plist::Dictionary javaVM;
    plist::Dictionary top;
    if (c.mainClass) javaVM.emplace_back("MainClass", str(*c.mainClass));
    if (c.mainModule) top.emplace_back("kvx.mainModule", str(*c.mainModule));
    assemble(javaVM, top);
    std::string name = c.mainClass.value_or("-") + " " + c.mainModule.value_or("-");
    EXPECT_EQ(mainClass, c.expected) << name;
    EXPECT_EQ(mainClass ? mainClass->launchEntries() : Strings{}, c.entries) << name;
  }
}

TEST_F(ParameterAssembly, EveryRuntimeOverrideIsRemovedWhereverItCameFrom) {
  writeFile(stem + ".vmoptions", "-jvm=/from/file\n-Dkept\n");
  assemble({{"VMOptionArray", strings({"-jvm=/configured", "-Djvm=kept"})},
            {"VersionSpecificVMOptions", plist::Value::array({str("17-17"), strings({"-jvm=/versioned"})})},
            {"ArgumentArray", strings({"-jvm=/an/argument"})}});
  EXPECT_EQ(options, (Strings{"-Djvm=kept", "-Dkept", "-Dtorqa.moduleName=" + stem + ".app"}));
  EXPECT_EQ(args.front(), "-jvm=/an/argument");
}

TEST_F(ParameterAssembly, WorkingDirectoryIsResolvedAgainstTheLauncherDirectory) {
  fs::create_directories(appRoot + "/work");
  struct Case {
    std::string configured;
    std::string expected;
  };
  for (const Case& c : {Case{".", appRoot}, Case{"work/../work/.", appRoot + "/work"},
                        Case{dir.path() + "//Foo.app/./Contents", stem + ".app/Contents"}}) {
    assemble({{"WorkingDirectory", str(c.configured)}});
    EXPECT_EQ(fs::current_path(), fs::path(c.expected)) << c.configured;
  }
}

TEST_F(ParameterAssembly, AGuiLauncherStaysWhereItWasStartedWhenItsConfigurationKeepsTheDirectory) {
  fs::create_directories(appRoot + "/work");
  struct Case {
    const char* what;
    std::optional<bool> keep;
    OptString workingDirectory;
    std::string expected;
  };
  for (const Case& c : {Case{"absent: the bundle", std::nullopt, std::nullopt, stem + ".app"},
                        Case{"false: the bundle", false, std::nullopt, stem + ".app"},
                        Case{"kept", true, std::nullopt, dir.path()},
                        Case{"a configured directory wins", true, "work", appRoot + "/work"}}) {
    fs::current_path(dir.path());
    plist::Dictionary javaVM;
    if (c.workingDirectory) javaVM.emplace_back("WorkingDirectory", str(*c.workingDirectory));
    plist::Dictionary top;
    if (c.keep) top.emplace_back("kvx.keepWorkingDirectory", plist::Value::boolean(*c.keep));
    assemble(std::move(javaVM), std::move(top));
    EXPECT_EQ(fs::current_path(), fs::path(c.expected)) << c.what;
  }
}

TEST_F(ParameterAssembly, ConfiguredArgumentsAreDefaultsOnlyWhenTheConfigurationSaysSo) {
  struct Case {
    const char* what;
    bool onlyWhenNone;
    Strings commandLine;
    Strings expected;
  };
  for (const Case& c : {
           Case{"before the user's", false, {"mine"}, {"--default", "mine"}},
           Case{"before none", false, {}, {"--default"}},
           Case{"replaced by the user's", true, {"mine", "-J-Xss1m", "two"}, {"mine", "two"}},
           Case{"used when the user gives none", true, {}, {"--default"}},
           // -J options are the virtual machine's, not arguments the user gave.
           Case{"used when the user gives only -J options", true, {"-J-Xmx1g"}, {"--default"}},
       }) {
    run.arguments = {stem};
    run.arguments.insert(run.arguments.end(), c.commandLine.begin(), c.commandLine.end());
    plist::Dictionary top = {{"kvx.allowPassthrough", plist::Value::boolean(true)}};
    if (c.onlyWhenNone) top.emplace_back("kvx.argumentsOnlyWhenNone", plist::Value::boolean(true));
    assemble({{"ArgumentArray", strings({"--default"})}}, std::move(top));
    EXPECT_EQ(args, c.expected) << c.what;
  }
}

TEST_F(ParameterAssembly, LangComesFromTheUserLocaleOnlyWhenUnset) {
  writeFile(dir / "config/kestrovel/preferences/.GlobalPreferences.plist",
            plist::writeBinary(dict({{"AppleLocale", str("de_CH")}})));
  {
    ScopedEnv lang("LANG", std::nullopt);
    assemble({});
    EXPECT_EQ(platform::getEnv("LANG"), "de_CH.UTF-8");
  }
  {
    ScopedEnv lang("LANG", "");
    assemble({});
    EXPECT_EQ(platform::getEnv("LANG"), "");
  }
}

TEST_F(ParameterAssembly, AWronglyTypedValueIsAnError) {
  EXPECT_THROW(assemble({{"ClassPath", plist::Value::integer(3)}}), PlatformException);
  EXPECT_THROW(assemble({{"VMOptionArray", str("-Xmx1g")}}), PlatformException);
}

// The version-specific pairs, tried in order until one matches.
struct VersionCase {
  std::string name;
  Strings pairs;  // key, option, key, option ...: each key's list holds one option
  std::string version;
  int32_t major;
  OptString chosen;
};

plist::Value pairList(const Strings& flat) {
  plist::Array items;
  for (size_t i = 0; i + 1 < flat.size(); i += 2) {
    items.push_back(str(flat[i]));
    items.push_back(strings({flat[i + 1]}));
  }
  if (flat.size() % 2) items.push_back(str(flat.back()));
  return plist::Value::array(std::move(items));
}

class VersionSpecific : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionSpecific, ChoosesTheFirstMatchingEntry) {
  const VersionCase& c = GetParam();
  plist::Value entries = pairList(c.pairs);
  std::optional<Strings> got = versionSpecificOptions(&entries, c.version, c.major);
  if (c.chosen) {
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, Strings{*c.chosen});
  } else {
    EXPECT_EQ(got, std::nullopt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, VersionSpecific,
    ::testing::Values(
        VersionCase{"PatternMatchesWholeVersion", {"*11.*", "a"}, "11.0.2", 11, "a"},
        VersionCase{"PatternNeedsMoreThanTheMajor", {"*11.*", "a"}, "11", 11, std::nullopt},
        VersionCase{"PatternIsCaseSensitiveAndAnchored", {"*1.8.0_*", "a"}, "1.8.0_202", 8, "a"},
        VersionCase{"PatternDoesNotMatchAPrefix", {"*11.*", "a"}, "1.8.0_202", 8, std::nullopt},
        VersionCase{"QuestionMarkIsOneCharacter", {"*17.0.?", "a", "*17.0.??", "b"}, "17.0.12", 17, "b"},
        VersionCase{"StarAloneMatchesNothing", {"*", "a"}, "17.0.2", 17, std::nullopt},
        VersionCase{"RangeIncludesBothEnds", {"9-11", "a"}, "11.0.2", 11, "a"},
        VersionCase{"RangeExcludesOutside", {"9-11", "a"}, "17.0.2", 17, std::nullopt},
        VersionCase{"EmptyLowBoundIsZero", {"-17", "a"}, "17", 17, "a"},
        VersionCase{"EmptyHighBoundIsZero", {"17-", "a"}, "17", 17, std::nullopt},
        VersionCase{"MalformedKeyIsSkipped", {"17", "bad", "10-20-30", "bad", "17-17", "good"}, "17", 17, "good"},
        VersionCase{"FirstOfTwoMatchesWins", {"*17*", "first", "10-20", "second"}, "17.0.2", 17, "first"},
        VersionCase{"OddLastElementIsIgnored", {"1-5", "a", "17-17"}, "17", 17, std::nullopt}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kvx::test
