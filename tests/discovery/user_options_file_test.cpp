// The user's own options file: where it is, and where it stands among the
// option sources, for the options and for the runtime override alike.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "discovery/runtime_search.h"
#include "params/java_parameters.h"
#include "test_support/app_bundle.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

class UserOptionsFile : public ::testing::Test {
 protected:
  UserOptionsFile() {
    run.launcherDirAndName = dir / "opt/Hello";
    run.launcherDirInApp = dir / "opt/Hello.app/Contents/Resources/app";
    run.appRootDir = run.launcherDirInApp;
    run.infoDictionary = &configuration;
  }

  TempDir dir;
  ScopedEnv home{"HOME", dir / "home"};
  plist::Value configuration = dict({{"CFBundleIdentifier", str("com.example.hello")}});
  RunState run;
  const RuntimeChoice noRuntime;
};

TEST_F(UserOptionsFile, LivesInTheUsersConfigurationUnderTheApplicationsIdentifier) {
  const struct {
    std::optional<std::string> xdgConfigHome;
    plist::Dictionary configuration;
    std::optional<std::string> expected;
  } cases[] = {
      {dir / "cfg", {{"CFBundleIdentifier", str("com.example.hello")}},
       dir / "cfg/kestrovel/com.example.hello.vmoptions"},
      {std::nullopt, {{"CFBundleIdentifier", str("com.example.hello")}},
       dir / "home/.config/kestrovel/com.example.hello.vmoptions"},
      // Without an identifier (or with one that is no text) the launcher's name serves.
      {std::nullopt, {}, dir / "home/.config/kestrovel/Hello.vmoptions"},
      {std::nullopt, {{"CFBundleIdentifier", plist::Value::integer(3)}},
       dir / "home/.config/kestrovel/Hello.vmoptions"},
      // An identifier that would lead out of the folder gives no file at all.
      {std::nullopt, {{"CFBundleIdentifier", str("../../etc/hello")}}, std::nullopt},
      {std::nullopt, {{"CFBundleIdentifier", str("..")}}, std::nullopt},
  };
  for (const auto& c : cases) {
    ScopedEnv config("XDG_CONFIG_HOME", c.xdgConfigHome);
    configuration = dict(c.configuration);
    EXPECT_EQ(JavaParameters(run, noRuntime).userOptionsFile(), c.expected) << c.expected.value_or("none");
  }
}

// The installation's file, the user's file and the command line each may
// name a runtime; the later one wins, and a missing user file changes nothing.
TEST_F(UserOptionsFile, ComesAfterTheInstallationAndBeforeTheCommandLine) {
  const struct {
    bool installation, user, commandLine;
    const char* expected;
  } cases[] = {
      {true, false, false, "/from-installation"}, {true, true, false, "/from-user"},
      {false, true, false, "/from-user"},         {true, true, true, "/from-command-line"},
      {false, true, true, "/from-command-line"},  {false, false, false, nullptr},
  };
  for (const char* xdg : {"set", "unset"}) {
    ScopedEnv config("XDG_CONFIG_HOME", std::string(xdg) == "set" ? OptString(dir / "cfg") : std::nullopt);
    const std::string userFile = std::string(xdg) == "set" ? dir / "cfg/kestrovel/com.example.hello.vmoptions"
                                                           : dir / "home/.config/kestrovel/com.example.hello.vmoptions";
    for (const auto& c : cases) {
      std::filesystem::remove(dir / "opt/Hello.vmoptions");
      std::filesystem::remove(userFile);
      if (c.installation) writeFile(dir / "opt/Hello.vmoptions", "-Dinstallation=1\n-jvm=/from-installation\n");
      if (c.user) writeFile(userFile, "-Duser=1\n-jvm=/from-user\n");
      run.arguments = {"Hello"};
      if (c.commandLine) run.arguments.push_back("-J-jvm=/from-command-line");
      configuration = dict({{"CFBundleIdentifier", str("com.example.hello")},
                            {"kvx.allowPassthrough", plist::Value::boolean(true)}});

      EXPECT_EQ(RuntimeSearch(run, SearchRoots()).findOverrideJvm(), c.expected ? OptString(c.expected) : std::nullopt)
          << xdg << " " << c.installation << c.user << c.commandLine;
      StringList options;
      JavaParameters(run, noRuntime).addOptionSources(options, std::nullopt, false);
      StringList expected;
      if (c.installation) expected.insert(expected.end(), {"-Dinstallation=1", "-jvm=/from-installation"});
      if (c.user) expected.insert(expected.end(), {"-Duser=1", "-jvm=/from-user"});
      EXPECT_EQ(options, expected) << xdg << " " << c.installation << c.user << c.commandLine;
    }
  }
}

}  // namespace
}  // namespace kvx::test
