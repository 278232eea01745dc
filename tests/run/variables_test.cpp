#include <gtest/gtest.h>

#include <filesystem>

#include "launcher/launcher.h"
#include "test_support/launcher_state.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

using test::ScopedEnv;

class VariableSubstitutionTest : public testing::Test {
 protected:
  void SetUp() override {
    run.appRootDir = "/Apps/Foo.app/Contents/Resources/app";
    run.mainBundlePath = "/Apps/Foo.app";
    run.launcherDirInApp = "/Apps/Foo.app/Contents/Resources/app/bin";
  }
  std::string replace(const std::string& text) { return launcher_.replaceVariables(text).value(); }

  test::ScopedLauncherState state_;
  RunState run;
  ScopedEnv var_{"KVX_TEST_VAR", "value"};
  ScopedEnv empty_{"KVX_TEST_EMPTY", ""};
  ScopedEnv unset_{"KVX_TEST_UNSET", std::nullopt};
  Launcher launcher_{run};
};

TEST_F(VariableSubstitutionTest, ReplacesTheLauncherAndEnvironmentVariables) {
  ScopedEnv tmp("TMPDIR", "/var/tmp/kvx");
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"${launcher:sys.appRootDir}/lib/*.jar", "/Apps/Foo.app/Contents/Resources/app/lib/*.jar"},
      {"${launcher:sys.mainBundle}", "/Apps/Foo.app"},
      {"${launcher:sys.launcherDirectory}/x:${launcher:sys.launcherDirectory}",
       "/Apps/Foo.app/Contents/Resources/app/bin/x:/Apps/Foo.app/Contents/Resources/app/bin"},
      {"a${launcher:sys.pathlistSeparator}b", "a:b"},
      // The temporary directory is used as given: no separator is added.
      {"${launcher:sys.tempDir}cache", "/var/tmp/kvxcache"},
      {"-Dv=${KVX_TEST_VAR}/${KVX_TEST_VAR}", "-Dv=value/value"},
      {"[${KVX_TEST_EMPTY}]", "[]"},
      // Unknown, unset, differently cased or spaced names stay as written.
      {"${KVX_TEST_UNSET} ${kvx_test_var} ${ KVX_TEST_VAR} $KVX_TEST_VAR",
       "${KVX_TEST_UNSET} ${kvx_test_var} ${ KVX_TEST_VAR} $KVX_TEST_VAR"},
      {"${launcher:sys.other} ${launcher:sys.jvmHome}", "${launcher:sys.other} ${launcher:sys.jvmHome}"},
      {"${${KVX_TEST_VAR}}", "${value}"},
      {"no variables here", "no variables here"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(replace(c.text), c.expected) << c.text;
}

TEST_F(VariableSubstitutionTest, TextBroughtInIsOpenToLaterStepsOnly) {
  const struct {
    const char* what;
    OptString appRootDir, launcherDir;
    std::string envValue;
    const char* text;
    const char* expected;
  } cases[] = {
      {"an environment variable inside the root", "/x/${KVX_TEST_ORDER}", "/l", "v",
       "${launcher:sys.appRootDir}", "/x/v"},
      {"a later launcher variable inside the root", "${launcher:sys.pathlistSeparator}", "/l", "v",
       "${launcher:sys.appRootDir}", ":"},
      {"an earlier launcher variable inside the launcher directory", "/r",
       "${launcher:sys.appRootDir}", "v", "${launcher:sys.launcherDirectory}",
       "${launcher:sys.appRootDir}"},
      {"a launcher variable inside the environment", "/r", "/l", "${launcher:sys.appRootDir}",
       "${KVX_TEST_ORDER}", "${launcher:sys.appRootDir}"},
  };
  for (const auto& c : cases) {
    run.appRootDir = c.appRootDir;
    run.launcherDirInApp = c.launcherDir;
    ScopedEnv order("KVX_TEST_ORDER", c.envValue);
    EXPECT_EQ(replace(c.text), c.expected) << c.what;
  }
}

TEST_F(VariableSubstitutionTest, AnAbsentBundleGivesTheEmptyString) {
  run.mainBundlePath.reset();
  EXPECT_EQ(replace("[${launcher:sys.mainBundle}]"), "[]");
}

TEST_F(VariableSubstitutionTest, TracesBothEndsExceptForAnAbsentArgument) {
  test::ScopedTrace trace(true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(launcher_.replaceVariables(std::nullopt), std::nullopt);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  testing::internal::CaptureStderr();
  replace("${KVX_TEST_VAR}/x");
  replace("");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("] replacing ${KVX_TEST_VAR}/x\n"), std::string::npos) << err;
  EXPECT_NE(err.find("] returning value/x\n"), std::string::npos) << err;
  EXPECT_NE(err.find("] replacing \n"), std::string::npos) << err;
  EXPECT_NE(err.find("replaceVariables(const RunState&, const OptString&, const OptString&) [Line "),
            std::string::npos)
      << err;
}

TEST_F(VariableSubstitutionTest, TheRuntimeHomeFollowsTheRuntimesLayoutAtEachCall) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "Bundle.jdk/Contents/Home/bin");
  std::filesystem::create_directories(dir / "plain/bin");
  const std::string text = "${launcher:sys.jvmHome}/bin";

  launcher_.javaBundlePath = dir / "Bundle.jdk";
  EXPECT_EQ(replace(text), dir / "Bundle.jdk/Contents/Home/bin");
  std::filesystem::create_directories(dir / "Bundle.jdk/Contents/Home/jre");
  EXPECT_EQ(replace(text), dir / "Bundle.jdk/Contents/Home/jre/bin");

  // A plain home has no Contents/: it is its own home.
  launcher_.javaBundlePath = dir / "plain";
  EXPECT_EQ(replace(text), dir / "plain/bin");
  std::filesystem::create_directories(dir / "plain/jre");
  EXPECT_EQ(replace(text), dir / "plain/jre/bin");
}

TEST_F(VariableSubstitutionTest, TheRuntimeHomeOfARealJdkHoldsItsJava) {
  const std::string jdk = "/usr/lib/jvm/java-17-openjdk-amd64";
  if (!std::filesystem::exists(jdk)) GTEST_SKIP() << jdk << " is not installed";
  launcher_.javaBundlePath = jdk;
  std::string java = replace("${launcher:sys.jvmHome}/bin/java");
  EXPECT_EQ(java, jdk + "/bin/java");
  EXPECT_TRUE(std::filesystem::exists(java));
}

}  // namespace
}  // namespace kvx
