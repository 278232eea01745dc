// What the options for the application's working directory, arguments, -J
// options, class path, splash image and modules refuse, and what they
// write into the configuration the launcher reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bundle/app_configuration.h"
#include "bundle/bundle_options.h"
#include "bundle/launch_shape.h"
#include "test_support/temp_dir.h"
#include "test_support/bundle_arguments.h"

namespace kvx::bundle {
namespace {

using Args = std::vector<std::string>;

using test::withRequired;

TEST(LaunchShapeOptions, EachMistakeIsOneLineNamingTheOption) {
  struct Case {
    Args args;
    const char* error;
  } cases[] = {
      {withRequired({"--arguments", "a", "--default-arguments", "b"}),
       "--arguments and --default-arguments exclude each other: the first always go before the user's arguments, "
       "the second only stand in when the user gives none"},
      {withRequired({"--working-dir", ""}), "--working-dir needs a directory (\".\" for the input's own)"},
      {withRequired({"--class-path", "a.jar:/opt/b.jar"}),
       "--class-path: \"/opt/b.jar\" is absolute; give it relative to --input"},
      {withRequired({"--class-path", "a.jar:lib/../../b.jar"}),
       "--class-path: \"lib/../../b.jar\" leaves the input; only its files are shipped"},
      {withRequired({"--class-path", "a.jar::b.jar"}), "--class-path: an empty entry"},
      {withRequired({"--class-path", "a.jar", "--module", "hello.mod"}),
       "--class-path and --module exclude each other: a modular application's other jars form its class path"},
      {withRequired({"--splash", "../splash.png"}),
       "--splash: \"../splash.png\" leaves the input; only its files are shipped"},
      {withRequired({"--default-modules", "--no-runtime"}),
       "--default-modules is for a runtime made with jlink; it does not go with --no-runtime"},
      {withRequired({"--default-modules", "--runtime-image", "jre"}),
       "--default-modules is for a runtime made with jlink; it does not go with --runtime-image"},
      {withRequired({"--allow-passthrough=yes"}), "--allow-passthrough takes no value"},
      {withRequired({"--working-dir", "a", "--working-dir", "b"}), "--working-dir is given twice"},
  };
  for (const Case& c : cases) test::expectRefused(c.args, c.error);
  std::string error;
  ASSERT_TRUE(parseBundleOptions(withRequired({"--class-path", "..a.jar:lib/*:x..y/b.jar"}), &error)) << error;
}

TEST(LaunchShapeOptions, EveryClassPathEntryTheSplashAndARelativeWorkingDirectoryMustBeInTheInput) {
  test::TempDir dir;
  test::writeFile(dir / "in/main.jar", "");
  test::writeFile(dir / "in/splash.png", "");
  std::filesystem::create_directories(dir / "in/lib");
  BundleOptions options;
  options.input = dir / "in";
  std::string error;
  options.classPath = "main.jar:lib/*:*";
  options.splash = "splash.png";
  EXPECT_TRUE(checkLaunchShapeInput(options, &error)) << error;
  options.classPath = "main.jar:missing/*";
  EXPECT_FALSE(checkLaunchShapeInput(options, &error));
  EXPECT_EQ(error, "--class-path: " + dir / "in/missing/*" + ": no such file in the input");
  options.classPath = "main.jar";
  options.splash = "splash.jpg";
  EXPECT_FALSE(checkLaunchShapeInput(options, &error));
  EXPECT_EQ(error, "--splash: " + dir / "in/splash.jpg" + ": no such file in the input");
  options.splash.reset();
  for (const char* given : {".", "lib", "/srv/anywhere", "${HOME}"}) {
    options.workingDir = given;
    EXPECT_TRUE(checkLaunchShapeInput(options, &error)) << given << ": " << error;
  }
  options.workingDir = "main.jar";
  EXPECT_FALSE(checkLaunchShapeInput(options, &error));
  EXPECT_EQ(error, "--working-dir: " + dir / "in/main.jar" + ": no such directory in the input");
}

// The configuration as the launcher reads it, for each type.
struct Made {
  plist::Value configuration;
  const plist::Value* top(const char* key) const { return configuration.get(key); }
  const plist::Value* vm(const char* key) const { return configuration.get("JavaVM")->get(key); }
};

Made make(BundleOptions options) {
  BundleLayout layout = layoutFor(options.type, options.name);
  MainClassChoice main{"com.example.Main", "app.jar", "17"};
  std::vector<std::string> jars = {"app.jar", "libs/a.jar"};
  return Made{applicationConfiguration({options, layout, main, jars, std::nullopt})};
}

TEST(LaunchShapeConfiguration, ByDefaultTheApplicationStartsWhereItsUserIsAndFindsItsInputByOneName) {
  BundleOptions options;
  options.name = "Hello";
  Made app = make(options);
  EXPECT_EQ(*app.top("kvx.keepWorkingDirectory"), plist::Value::boolean(true));
  EXPECT_EQ(app.top("kvx.appDir"), nullptr) << "a bundle's root is its input";
  for (const char* key : {"kvx.allowPassthrough", "kvx.argumentsOnlyWhenNone"}) EXPECT_EQ(app.top(key), nullptr) << key;
  for (const char* key : {"WorkingDirectory", "SplashFile", "ArgumentArray"}) EXPECT_EQ(app.vm(key), nullptr) << key;

  options.type = BundleType::Cli;
  Made cli = make(options);
  EXPECT_EQ(*cli.top("kvx.keepWorkingDirectory"), plist::Value::boolean(true));
  EXPECT_EQ(*cli.top("kvx.appDir"), plist::Value::string("lib"));
}

TEST(LaunchShapeConfiguration, EachOptionWritesItsKeys) {
  BundleOptions options;
  options.name = "Hello";
  options.type = BundleType::Cli;
  options.workingDir = "data";
  options.defaultArguments = {"--open", "${launcher:kvx.appDir}/default.txt"};
  options.allowPassthrough = true;
  options.classPath = "libs/*:conf";
  options.splash = "images/splash.png";
  Made cli = make(options);
  EXPECT_EQ(cli.top("kvx.keepWorkingDirectory"), nullptr) << "a chosen directory needs no keeping";
  EXPECT_EQ(*cli.top("kvx.allowPassthrough"), plist::Value::boolean(true));
  EXPECT_EQ(*cli.top("kvx.argumentsOnlyWhenNone"), plist::Value::boolean(true));
  EXPECT_EQ(*cli.vm("WorkingDirectory"), plist::Value::string("${launcher:kvx.appDir}/data"));
  EXPECT_EQ(*cli.vm("ArgumentArray"), plist::Value::array({plist::Value::string("--open"),
                                                           plist::Value::string("${launcher:kvx.appDir}/default.txt")}));
  EXPECT_EQ(*cli.vm("SplashFile"), plist::Value::string("${launcher:sys.appRootDir}/lib/images/splash.png"));
  // The main jar was left out of the entries: it goes first.
  EXPECT_EQ(*cli.vm("ClassPath"), plist::Value::string("${launcher:sys.appRootDir}/lib/app.jar:"
                                                       "${launcher:sys.appRootDir}/lib/libs/*:"
                                                       "${launcher:sys.appRootDir}/lib/conf"));
  options.type = BundleType::App;
  options.classPath = "conf:app.jar";
  EXPECT_EQ(*make(options).vm("ClassPath"),
            plist::Value::string("${launcher:sys.appRootDir}/conf:${launcher:sys.appRootDir}/app.jar"));
}

TEST(LaunchShapeConfiguration, AWorkingDirectoryIsTakenBelowTheInputUnlessItIsAbsoluteOrAVariable) {
  struct Case {
    const char* given;
    const char* written;
  } cases[] = {
      {".", "${launcher:kvx.appDir}"},
      {"data/in", "${launcher:kvx.appDir}/data/in"},
      {"/srv/app", "/srv/app"},
      {"${launcher:sys.mainBundle}", "${launcher:sys.mainBundle}"},
      {"${HOME}/work", "${HOME}/work"},
  };
  for (const Case& c : cases) EXPECT_EQ(workingDirectoryValue(c.given), c.written) << c.given;
}

}  // namespace
}  // namespace kvx::bundle
