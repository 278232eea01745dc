#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "launcher/launcher.h"
#include "test_support/launcher_state.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

extern char** environ;

namespace kvx {
namespace {

using test::ScopedEnv;

// The environment's variables taken one at a time in the environment's own
// order, each replacing all of its occurrences: what substitution must give,
// however it finds the variables a text names.
std::string replacedOneVariableAtATime(std::string text) {
  std::set<std::string, std::less<>> seen;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view variable = *entry;
    const size_t equals = variable.find('=');
    if (equals == std::string_view::npos || !seen.emplace(variable.substr(0, equals)).second) continue;
    const std::string pattern = "${" + std::string(variable.substr(0, equals)) + "}";
    std::string replaced;
    size_t start = 0;
    for (size_t at; (at = text.find(pattern, start)) != std::string::npos; start = at + pattern.size()) {
      replaced.append(text, start, at - start).append(variable.substr(equals + 1));
    }
    text = replaced.append(text, start);
  }
  return text;
}

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

TEST_F(VariableSubstitutionTest, EnvironmentVariablesApplyInTheEnvironmentsOrder) {
  // Each comes after the ones above it in the environment.
  ScopedEnv first("KVX_ORDER_FIRST", "${KVX_ORDER_LATER}");
  ScopedEnv name("KVX_ORDER_NAME", "KVX_ORDER_FIRST");
  ScopedEnv later("KVX_ORDER_LATER", "later:${KVX_ORDER_FIRST}");
  ScopedEnv braced("KVX_ORDER_X}Y", "braced");
  ScopedEnv x("KVX_ORDER_X", "x");
  ScopedEnv open("KVX_ORDER_OPEN", "${KVX_ORDER_");
  ScopedEnv last("KVX_ORDER_LAST", "last");
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      // Text brought in by a variable is open to the later ones only.
      {"${KVX_ORDER_FIRST}", "later:${KVX_ORDER_FIRST}"},
      {"${KVX_ORDER_LATER}|${KVX_ORDER_FIRST}", "later:${KVX_ORDER_FIRST}|later:${KVX_ORDER_FIRST}"},
      {"${${KVX_ORDER_NAME}}", "${KVX_ORDER_FIRST}"},
      // A name may hold a "}"; of two readings the earlier variable wins.
      {"${KVX_ORDER_X}Y}", "braced"},
      {"${KVX_ORDER_X}", "x"},
      // A name completed by the text after a variable's value.
      {"${KVX_ORDER_OPEN}LAST}", "last"},
      {"${KVX_ORDER_OPEN}X}", "${KVX_ORDER_X}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(replace(c.text), c.expected) << c.text;
    EXPECT_EQ(replace(c.text), replacedOneVariableAtATime(c.text)) << c.text;
  }
}

// Eight variables that each name the next eight times: 440 bytes of
// environment that would make one value gigabytes long.
TEST_F(VariableSubstitutionTest, AValueGrowingPastTheCapEndsTheStartNamingTheVariable) {
  std::vector<std::unique_ptr<ScopedEnv>> bomb;
  for (int i = 0; i < 8; ++i) {
    std::string value;
    for (int copy = 0; copy < 8; ++copy) value += "${KVX_BOMB_" + std::to_string(i + 1) + "}";
    bomb.push_back(std::make_unique<ScopedEnv>("KVX_BOMB_" + std::to_string(i), value));
  }
  ScopedEnv end("KVX_BOMB_8", "x");
  try {
    replace("-Dbomb=${KVX_BOMB_0}");
    ADD_FAILURE() << "no error";
  } catch (const MessageError& e) {
    EXPECT_EQ(e.key(), "kvx.ConfigurationError");
    // 8^6 copies of ${KVX_BOMB_6} are the first to pass 1 MiB.
    EXPECT_EQ(e.info1(), "the variable ${KVX_BOMB_5} makes \"-Dbomb=${KVX_BOMB_0}\" grow by more than 1 MiB "
                         "when it is substituted");
  }
  // A few copies stay far below the cap.
  EXPECT_EQ(replace("${KVX_BOMB_6}").size(), 8u * 8u);
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
