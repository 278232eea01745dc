// Which runtime a launch takes, on installations laid out in a temporary
// directory: precedence, limits, the search sequence.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/exception.h"
#include "discovery/runtime_search.h"
#include "test_support/app_bundle.h"
#include "test_support/runtime_choice_fixture.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

// Every level is laid out; the ones above `winner` are then taken away one by one.
TEST_F(RuntimeChoice, EachLevelBeatsTheNext) {
  struct Level {
    std::string name;
    std::string path;
  };
  std::vector<Level> levels = {
      {"override", dir / "override.jdk"},
      {"Resources bundle", app + "/Contents/Resources/jre.bundle"},
      {"PlugIns bundle", app + "/Contents/PlugIns/jre.bundle"},
      {"app root bundle", appRoot + "/.kestrovel/jre.bundle"},
      {"plain home", appRoot + "/.kestrovel/jre"},
      {"search sequence", dir / "searched.jdk"},
  };
  configure({{"VMOptionArray", strings({"-jvm=" + levels[0].path})},
             {"SearchSequence", strings({"R" + levels[5].path})}});
  for (const Level& level : levels) {
    if (level.name == "plain home") {
      makePlainHome(level.path, "11.0.1");
    } else {
      makeVersionedBundle(level.path, "17.0.2+8");
    }
  }
  for (const Level& level : levels) {
    SCOPED_TRACE(level.name);
    EXPECT_EQ(choose(), level.path);
    EXPECT_EQ(version(), level.name == "plain home" ? "1.7.0" : "17.0.2");
    fs::remove_all(level.path);
  }
  EXPECT_EQ(choose(), "<none>");
}

TEST_F(RuntimeChoice, OverrideOutsideTheRangeGivesWayToTheShippedRuntime) {
  makeVersionedBundle(dir / "old.jdk", "1.7.0_80");
  makeVersionedBundle(app + "/Contents/PlugIns/jre.bundle", "1.6.0_65");
  configure({{"VMOptionArray", strings({"-jvm=" + dir / "old.jdk"})}},
            {{"kvx.minVersion", str("1.8")}});
  // The shipped runtime is below the minimum too: limits do not apply to it.
  EXPECT_EQ(choose(), app + "/Contents/PlugIns/jre.bundle");
  EXPECT_EQ(version(), "1.6.0");
}

TEST_F(RuntimeChoice, TheLastOverrideWinsAndVariablesAreReplacedInIt) {
  makeVersionedBundle(dir / "a.jdk", "17");
  makeVersionedBundle(dir / "b.jdk", "21");
  configure({{"VMOptionArray", strings({"-jvm=" + dir / "a.jdk"})}});
  writeFile(dir / "Foo.vmoptions", "-jvm=${KVX_TEST_RUNTIMES}/b.jdk\n");
  ScopedEnv runtimes("KVX_TEST_RUNTIMES", dir.path());
  EXPECT_EQ(choose(), dir / "b.jdk");
  EXPECT_EQ(version(), "21");
}

// The search sequence runs after the shipped runtime's place was looked at:
// a runtime home variable in an entry is that place, runtime or not.
TEST_F(RuntimeChoice, ARuntimeHomeInASearchEntryIsTheShippedRuntimesPlace) {
  makeVersionedBundle(appRoot + "/.kestrovel/jre-sibling.jdk", "17");
  configure({{"SearchSequence", strings({"R${launcher:sys.jvmHome}-sibling.jdk"})}});
  EXPECT_EQ(choose(), appRoot + "/.kestrovel/jre-sibling.jdk");
}

TEST_F(RuntimeChoice, ABundleThatIsAFileIsPassedOverForThePlainHome) {
  writeFile(appRoot + "/.kestrovel/jre.bundle", "not a directory");
  makePlainHome(appRoot + "/.kestrovel/jre", "17.0.2");
  configure({});
  EXPECT_EQ(choose(), appRoot + "/.kestrovel/jre");
  EXPECT_EQ(version(), "1.7.0");
  EXPECT_EQ(chosen->javaBundle, nullptr);
}

TEST_F(RuntimeChoice, AShippedRuntimeForAnotherProcessorEndsTheSearchWithNothing) {
  const std::string version17 = "17";
  makeRuntimeBundle(app + "/Contents/Resources/jre.bundle", xmlPlist(runtimeInfoBody(&version17)),
                    foreignExecutable());
  makeVersionedBundle(dir / "jvm/jdk-17.jdk", "17");
  configure({});
  EXPECT_EQ(choose(), "<none>");
}

TEST_F(RuntimeChoice, SearchSequenceAbsentEmptyAndWithEntries) {
  makeVersionedBundle(dir / "jvm/jdk-11.jdk", "11.0.2");
  makeVersionedBundle(dir / "jvm/jdk-17.jdk", "17.0.2");
  makeVersionedBundle(dir / "home.jdk", "21.0.1");
  ScopedEnv javaHome("JAVA_HOME", dir / "home.jdk");

  configure({});  // absent: the standard locations only, JAVA_HOME not consulted
  EXPECT_EQ(choose(), dir / "jvm/jdk-17.jdk");

  configure({{"SearchSequence", strings({})}});
  EXPECT_EQ(choose(), "<none>");

  configure({{"SearchSequence", strings({"", "eJAVA_HOME", "EJAVA_HOME", "Y"})}});
  EXPECT_EQ(choose(), dir / "home.jdk");

  // JAVA_HOME above the maximum: refused, and the standard locations follow.
  configure({{"SearchSequence", strings({"EJAVA_HOME", "Y"})}}, {{"kvx.maxVersion", str("17")}});
  EXPECT_EQ(choose(), dir / "jvm/jdk-17.jdk");

  configure({{"SearchSequence", strings({"EKVX_TEST_UNSET_VARIABLE", "R${KVX_TEST_RUNTIMES}/home.jdk"})}});
  ScopedEnv unset("KVX_TEST_UNSET_VARIABLE", std::nullopt);
  ScopedEnv runtimes("KVX_TEST_RUNTIMES", dir.path());
  EXPECT_EQ(choose(), dir / "home.jdk");
}

// The JDKs installed on this machine, found for real.
class InstalledRuntimes : public RuntimeChoice {
 protected:
  static std::string firstInstalledJdk() {
    for (const char* name : {"java-17-openjdk-amd64", "java-17-openjdk-arm64"}) {
      std::string home = std::string("/usr/lib/jvm/") + name;
      if (fs::exists(home + "/release")) return home;
    }
    return "";
  }
};

TEST_F(InstalledRuntimes, FoundThroughJavaHomeAndThroughTheStandardLocations) {
  std::string jdk = firstInstalledJdk();
  if (jdk.empty()) GTEST_SKIP() << "no JDK 17 in /usr/lib/jvm";
  roots = SearchRoots();
  ScopedEnv javaHome("JAVA_HOME", jdk);

  configure({{"SearchSequence", strings({"EJAVA_HOME"})}});
  EXPECT_EQ(choose(), jdk);
  EXPECT_EQ(chosen->javaMajorVersion, 17);

  // Only 17 is admitted, so whatever else is installed, a 17 is taken.
  configure({{"SearchSequence", strings({"Y"})}},
            {{"kvx.minVersion", str("17")}, {"kvx.maxVersion", str("17")}});
  std::string path = choose();
  EXPECT_EQ(path.rfind("/usr/lib/jvm/", 0), 0u) << path;
  EXPECT_EQ(chosen->javaMajorVersion, 17);
}

}  // namespace
}  // namespace kvx::test
