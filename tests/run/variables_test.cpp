#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "run/variables.h"
#include "test_support/scoped_trace.h"
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
  std::string replace(const std::string& text) { return replaceVariables(run, javaBundlePath_, text).value(); }

  RunState run;
  // The chosen runtime's path, for ${launcher:sys.jvmHome}.
  OptString javaBundlePath_;
  ScopedEnv var_{"KVX_TEST_VAR", "value"};
  ScopedEnv empty_{"KVX_TEST_EMPTY", ""};
  ScopedEnv unset_{"KVX_TEST_UNSET", std::nullopt};
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

// The application's files under one name whatever the layout: the root
// itself, or kvx.appDir below it (a tree whose files lie in lib/).
TEST_F(VariableSubstitutionTest, TheApplicationsFilesAreTheRootOrKvxAppDirBelowIt) {
  const struct {
    std::optional<std::string> appDir;
    const char* expected;
  } cases[] = {
      {std::nullopt, "/Apps/Foo.app/Contents/Resources/app/m2.conf"},
      {"", "/Apps/Foo.app/Contents/Resources/app/m2.conf"},
      {"lib", "/Apps/Foo.app/Contents/Resources/app/lib/m2.conf"},
  };
  for (const auto& c : cases) {
    plist::Dictionary top;
    if (c.appDir) top.emplace_back("kvx.appDir", plist::Value::string(*c.appDir));
    plist::Value config = plist::Value::dictionary(std::move(top));
    run.infoDictionary = &config;
    EXPECT_EQ(replace("${launcher:kvx.appDir}/m2.conf"), c.expected) << c.appDir.value_or("(absent)");
  }
  run.appRootDir.reset();
  EXPECT_EQ(replace("${launcher:kvx.appDir}"), "${launcher:kvx.appDir}") << "no root yet: stays as written";
  run.infoDictionary = nullptr;
}

// An application installed under a folder named "cost ${HOME} x", or whose
// name holds "${…}", must find its own files: what a variable stands for is
// inserted as it is and never read for variables again.
TEST_F(VariableSubstitutionTest, ValuesAreInsertedAsTheyAre) {
  const struct {
    const char* what;
    OptString appRootDir, launcherDir;
    std::string envValue;
    const char* text;
    const char* expected;
  } cases[] = {
      {"a path holding an environment variable", "/opt/cost ${KVX_TEST_ORDER} x/app", "/l", "v",
       "${launcher:sys.appRootDir}/lib/a.jar", "/opt/cost ${KVX_TEST_ORDER} x/app/lib/a.jar"},
      {"a path holding a launcher variable", "/x${launcher:sys.pathlistSeparator}y", "/l", "v",
       "${launcher:sys.appRootDir}", "/x${launcher:sys.pathlistSeparator}y"},
      {"one launcher directory inside another", "/r", "${launcher:sys.appRootDir}", "v",
       "${launcher:sys.launcherDirectory}", "${launcher:sys.appRootDir}"},
      {"a launcher variable inside the environment", "/r", "/l", "${launcher:sys.appRootDir}",
       "${KVX_TEST_ORDER}", "${launcher:sys.appRootDir}"},
      {"an environment variable inside the environment", "/r", "/l", "${KVX_TEST_VAR}", "${KVX_TEST_ORDER}|${KVX_TEST_VAR}",
       "${KVX_TEST_VAR}|value"},
  };
  for (const auto& c : cases) {
    run.appRootDir = c.appRootDir;
    run.launcherDirInApp = c.launcherDir;
    ScopedEnv order("KVX_TEST_ORDER", c.envValue);
    EXPECT_EQ(replace(c.text), c.expected) << c.what;
  }
}

TEST_F(VariableSubstitutionTest, NamesAreReadWhereTheyStandInTheText) {
  ScopedEnv name("KVX_ORDER_NAME", "KVX_ORDER_FIRST");
  ScopedEnv first("KVX_ORDER_FIRST", "first");
  ScopedEnv braced("KVX_ORDER_X}Y", "braced");
  ScopedEnv x("KVX_ORDER_X", "x");
  ScopedEnv open("KVX_ORDER_OPEN", "${KVX_ORDER_");
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"${${KVX_ORDER_NAME}}", "${KVX_ORDER_FIRST}"},
      // A name may hold a "}"; of two readings the variable earlier in the environment wins.
      {"${KVX_ORDER_X}Y}", "braced"},
      {"${KVX_ORDER_X}", "x"},
      // A value never joins the text after it into a name.
      {"${KVX_ORDER_OPEN}FIRST}", "${KVX_ORDER_FIRST}"},
  };
  for (const auto& c : cases) EXPECT_EQ(replace(c.text), c.expected) << c.text;
}

// Eight variables that each name the next eight times: 440 bytes of
// environment that, expanded again and again, would make one value
// gigabytes long. Read once, it grows by one value.
TEST_F(VariableSubstitutionTest, VariablesNamingVariablesGrowByOneValueOnly) {
  std::vector<std::unique_ptr<ScopedEnv>> bomb;
  std::string first;
  for (int i = 0; i < 8; ++i) {
    std::string value;
    for (int copy = 0; copy < 8; ++copy) value += "${KVX_BOMB_" + std::to_string(i + 1) + "}";
    if (i == 0) first = value;
    bomb.push_back(std::make_unique<ScopedEnv>("KVX_BOMB_" + std::to_string(i), value));
  }
  EXPECT_EQ(replace("-Dbomb=${KVX_BOMB_0}"), "-Dbomb=" + first);
}

TEST_F(VariableSubstitutionTest, GrowthUpToTheCapIsAllowed) {
  const std::string atCap(kMaxSubstitutionGrowth + std::string("${KVX_CAP}").size(), 'a');
  {
    ScopedEnv cap("KVX_CAP", atCap);
    EXPECT_EQ(replace("${KVX_CAP}"), atCap);
  }
  ScopedEnv past("KVX_CAP", atCap + "a");
  EXPECT_THROW(replace("${KVX_CAP}"), MessageError);
  // The launcher's own variables count as well.
  run.appRootDir = std::string(kMaxSubstitutionGrowth + std::string("${launcher:sys.appRootDir}").size() + 1, 'a');
  EXPECT_THROW(replace("${launcher:sys.appRootDir}"), MessageError);
}

TEST_F(VariableSubstitutionTest, AnAbsentBundleGivesTheEmptyString) {
  run.mainBundlePath.reset();
  EXPECT_EQ(replace("[${launcher:sys.mainBundle}]"), "[]");
}

TEST_F(VariableSubstitutionTest, TracesBothEndsExceptForAnAbsentArgument) {
  test::ScopedTrace trace(true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(replaceVariables(run, javaBundlePath_, std::nullopt), std::nullopt);
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

  javaBundlePath_ = dir / "Bundle.jdk";
  EXPECT_EQ(replace(text), dir / "Bundle.jdk/Contents/Home/bin");
  std::filesystem::create_directories(dir / "Bundle.jdk/Contents/Home/jre");
  EXPECT_EQ(replace(text), dir / "Bundle.jdk/Contents/Home/jre/bin");

  // A plain home has no Contents/: it is its own home.
  javaBundlePath_ = dir / "plain";
  EXPECT_EQ(replace(text), dir / "plain/bin");
  std::filesystem::create_directories(dir / "plain/jre");
  EXPECT_EQ(replace(text), dir / "plain/jre/bin");
}

TEST_F(VariableSubstitutionTest, TheRuntimeHomeOfARealJdkHoldsItsJava) {
  const std::string jdk = "/usr/lib/jvm/java-17-openjdk-amd64";
  if (!std::filesystem::exists(jdk)) GTEST_SKIP() << jdk << " is not installed";
  javaBundlePath_ = jdk;
  std::string java = replace("${launcher:sys.jvmHome}/bin/java");
  EXPECT_EQ(java, jdk + "/bin/java");
  EXPECT_TRUE(std::filesystem::exists(java));
}

}  // namespace
}  // namespace kvx
