#include <gtest/gtest.h>

#include "launcher/launcher.h"
#include "base/exception.h"
#include "platform/paths.h"
#include "test_support/scoped_trace.h"

namespace kvx {
namespace {

using plist::Value;

struct Expected {
  OptString launcherDirAndName, launcherDirInApp, appRootDir, mainBundlePath;
};

// A start on the bundle road (bundle is the .app) or on the command-line
// road (executable is the launcher's own path, as launch_cli leaves it).
struct InitCase {
  const char* name;
  OptString bundle;
  OptString executable;
  plist::Dictionary configuration;
  Expected expected;
};

class LauncherInitTest : public testing::Test {
 protected:
  void check(const InitCase& c) {
    Value configuration = Value::dictionary(c.configuration);
    RunState run;
    run.mainBundle = {c.bundle.value_or("/wrong/Wrong.app"), configuration, "", ""};
    if (c.executable) {
      run.infoDictionary = &configuration;
      run.launcherDirAndName = *c.executable;
      run.launcherDirInApp = platform::deletingLastPathComponent(*c.executable);
    }
    Launcher(run).init();
    EXPECT_EQ(run.launcherDirAndName, c.expected.launcherDirAndName) << c.name;
    EXPECT_EQ(run.launcherDirInApp, c.expected.launcherDirInApp) << c.name;
    EXPECT_EQ(run.appRootDir, c.expected.appRootDir) << c.name;
    EXPECT_EQ(run.mainBundlePath, c.expected.mainBundlePath) << c.name;
    EXPECT_EQ(run.infoDictionary, c.executable ? &configuration : &*run.mainBundle.infoDictionary) << c.name;
  }
  RunState run;
};

Value str(const char* s) { return Value::string(s); }

TEST_F(LauncherInitTest, FixesThePathsOnBothRoads) {
  const std::string app = "/Applications/Foo.app/Contents/Resources/app";
  const InitCase cases[] = {
      {"bundle, nothing configured", "/Applications/Foo.app", std::nullopt, {},
       {"/Applications/Foo", app, app, "/Applications/Foo.app"}},
      {"bundle, launcher directory", "/Applications/Foo.app", std::nullopt,
       {{"kvx.launcherDir", str("bin")}},
       {"/Applications/Foo", app + "/bin", app, "/Applications/Foo.app"}},
      {"executable in a single bundle", std::nullopt, app + "/bin/foo",
       {{"kvx.baseDir", str("../")}, {"kvx.inSingleBundle", Value::boolean(true)}},
       {app + "/bin/foo", app + "/bin", app, "/Applications/Foo.app"}},
      {"executable, nothing configured", std::nullopt, "/opt/foo/bin/foo", {},
       {"/opt/foo/bin/foo", "/opt/foo/bin/foo.app/Contents/Resources/app",
        "/opt/foo/bin/foo.app/Contents/Resources/app", std::nullopt}},
      // The launcher directory is not standardized; the base directory is.
      {"launcher directory with ..", "/Applications/Foo.app", std::nullopt,
       {{"kvx.launcherDir", str("../lib")}},
       {"/Applications/Foo", app + "/../lib", app, "/Applications/Foo.app"}},
      {"base directory with ..", std::nullopt, "/opt/foo/bin/foo",
       {{"kvx.baseDir", str("../lib/./../app/")}},
       {"/opt/foo/bin/foo", "/opt/foo/bin", "/opt/foo/app", std::nullopt}},
      // The substitution sees the launcher directory as it was before: the
      // directory holding the bundle or the executable.
      {"bundle, launcher directory variable", "/Applications/Foo.app", std::nullopt,
       {{"kvx.launcherDir", str("${launcher:sys.launcherDirectory}/bin")}},
       {"/Applications/Foo", app + "/Applications/bin", app, "/Applications/Foo.app"}},
      {"executable, launcher directory variable", std::nullopt, "/opt/foo/bin/foo",
       {{"kvx.launcherDir", str("${launcher:sys.launcherDirectory}/../lib")}},
       {"/opt/foo/bin/foo", "/opt/foo/bin/foo.app/Contents/Resources/app/opt/foo/bin/../lib",
        "/opt/foo/bin/foo.app/Contents/Resources/app", std::nullopt}},
      {"application root variable in the launcher directory", "/Applications/Foo.app", std::nullopt,
       {{"kvx.launcherDir", str("${launcher:sys.appRootDir}")}},
       {"/Applications/Foo", app + app, app, "/Applications/Foo.app"}},
      {"base directory wins over launcher directory", "/Users/me/Foo.app", std::nullopt,
       {{"kvx.baseDir", str("Foo.app/Contents/Resources/app")}, {"kvx.launcherDir", str("bin")}},
       {"/Users/me/Foo", "/Users/me", "/Users/me/Foo.app/Contents/Resources/app", "/Users/me/Foo.app"}},
      {"single bundle replaces the bundle road's own path", "/Users/me/Foo.app", std::nullopt,
       {{"kvx.baseDir", str("Other.app/Contents/Resources/app")}, {"kvx.inSingleBundle", str("YES")}},
       {"/Users/me/Foo", "/Users/me", "/Users/me/Other.app/Contents/Resources/app", "/Users/me/Other.app"}},
      {"single bundle given as NO", "/Users/me/Foo.app", std::nullopt,
       {{"kvx.baseDir", str("Other.app/Contents/Resources/app")}, {"kvx.inSingleBundle", str("NO")}},
       {"/Users/me/Foo", "/Users/me", "/Users/me/Other.app/Contents/Resources/app", "/Users/me/Foo.app"}},
      {"single bundle without base directory", "/Applications/Foo.app", std::nullopt,
       {{"kvx.inSingleBundle", Value::boolean(true)}},
       {"/Applications/Foo", app, app, "/Applications/Foo.app"}},
      // The four characters are cut whatever they are; a short path is not read before its start.
      {"bundle directory without .app", "/opt/foo/bin", std::nullopt, {},
       {"/opt/foo", "/opt/foo.app/Contents/Resources/app", "/opt/foo.app/Contents/Resources/app",
        "/opt/foo/bin"}},
      {"bundle path shorter than four characters", "/ab", std::nullopt, {},
       {"", ".app/Contents/Resources/app", ".app/Contents/Resources/app", "/ab"}},
  };
  for (const InitCase& c : cases) check(c);
}

// Without a configuration no start can succeed: the file at fault is named,
// or, for a launcher in no bundle, that it has none.
TEST_F(LauncherInitTest, ABundleWithoutConfigurationIsReportedAsSuch) {
  const struct {
    platform::MainBundle bundle;
    std::string problem;
  } cases[] = {
      {{"/nowhere/Foo.app", std::nullopt, "", "/nowhere/Foo.app/Contents/Info.plist"},
       "/nowhere/Foo.app/Contents/Info.plist: does not exist"},
      {{"/x/Foo.app", std::nullopt, "/x/Foo.app/Contents/Info.plist: the root is not a dictionary",
        "/x/Foo.app/Contents/Info.plist"},
       "/x/Foo.app/Contents/Info.plist: the root is not a dictionary"},
      {{"/opt/bin", std::nullopt, "", ""},
       "/opt/bin/stub: this launcher lies in no application bundle (Name.app/Contents/MacOS/Name) and "
       "carries no configuration of its own"},
  };
  for (const auto& c : cases) {
    RunState fresh;
    fresh.arguments = {"./stub"};
    fresh.mainBundle = c.bundle;
    try {
      Launcher(fresh).init();
      ADD_FAILURE() << "no error for " << c.problem;
    } catch (const MessageError& e) {
      EXPECT_EQ(e.key(), "kvx.ConfigurationError");
      EXPECT_EQ(e.info1(), c.problem);
    }
  }
}

TEST_F(LauncherInitTest, AConfigurationValueOfTheWrongTypeRaises) {
  for (const char* key : {"kvx.baseDir", "kvx.launcherDir"}) {
    RunState fresh;
    fresh.mainBundle = {"/Applications/Foo.app", Value::dictionary({{key, Value::integer(3)}}), "", ""};
    EXPECT_THROW(Launcher(fresh).init(), PlatformException) << key;
  }
}

TEST_F(LauncherInitTest, TracesTheFourPaths) {
  test::ScopedTrace trace(true);
  run.mainBundle = {"/wrong/Wrong.app", std::nullopt, "", ""};
  Value configuration = Value::dictionary({});
  run.infoDictionary = &configuration;
  run.launcherDirAndName = "/opt/foo/bin/foo";
  run.launcherDirInApp = "/opt/foo/bin";
  testing::internal::CaptureStderr();
  Launcher(run).init();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Launcher::init() [Line "), std::string::npos) << err;
  EXPECT_NE(err.find("] INIT /opt/foo/bin/foo.app/Contents/Resources/app "
                     "/opt/foo/bin/foo.app/Contents/Resources/app /opt/foo/bin/foo (null)\n"),
            std::string::npos)
      << err;
}

TEST_F(LauncherInitTest, EachCallMakesANewLauncherWithFieldsAtTheirStart) {
  run = startingRunState(0, nullptr);
  run.mainBundle.infoDictionary = Value::dictionary({});
  std::shared_ptr<Launcher> first = Launcher::launcher(run);
  std::shared_ptr<Launcher> second = Launcher::launcher(run);
  EXPECT_NE(first, second);
  EXPECT_FALSE(first->runtime);
  EXPECT_EQ(first->argc, 0);
  EXPECT_EQ(first->argv, nullptr);
  // The run's main bundle, as the entry reads it.
  EXPECT_EQ(run.mainBundlePath, run.mainBundle.path);
}

}  // namespace
}  // namespace kvx
