#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "discovery/version_tokens.h"
#include "discovery/version_strings.h"
#include "launcher/launcher.h"
#include "run/globals.h"
#include "test_support/launcher_state.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    launchJavaVersion = nullptr;
    launcher.searchRoots.systemRuntimeDirectory = dir / "JavaVirtualMachines";
    launcher.searchRoots.pluginPath = dir / "JavaAppletPlugin.plugin";
  }
  void TearDown() override { launchJavaVersion = nullptr; }

  OptString accepted() const { return launchJavaVersion ? OptString(launchJavaVersion) : std::nullopt; }

  test::TempDir dir;
  RunState run;
  Launcher launcher{run};
};

TEST(RuntimeNameOrder, NewestFirstThenSeparatorsThenText) {
  std::vector<std::string> names = {"jdk-17.jdk",      "jdk1.8.0_202.jdk", "jdk-21.jdk",
                                    "openjdk-11.jdk",  "custom-17.jdk",    ".hidden",
                                    "jdk-17.0.10.jdk", "jdk-17.0.2.jdk"};
  version::sortRuntimeNamesNewestFirst(names);
  EXPECT_EQ(names, (std::vector<std::string>{"jdk-21.jdk", "jdk-17.0.10.jdk", "jdk-17.0.2.jdk",
                                             "jdk-17.jdk", "openjdk-11.jdk", "jdk1.8.0_202.jdk",
                                             ".hidden", "custom-17.jdk"}));
}

// Public search over a runtime directory laid out in the test.
using FindPublicJavaBundle = SearchTest;

// /usr/lib/jvm names its entries by vendor: the runtime's own version
// decides, newest first, and an alias of another entry is tried once.
TEST_F(FindPublicJavaBundle, VendorNamedHomesAreTriedByTheirVersion) {
  const std::string jvms = launcher.searchRoots.systemRuntimeDirectory;
  test::makePlainHome(jvms + "/zulu-11", "11.0.20");
  test::makePlainHome(jvms + "/java-17-openjdk-amd64", "17.0.15");
  test::makePlainHome(jvms + "/graalvm-jdk-21", "21.0.2");
  test::makePlainHome(jvms + "/temurin-25-jdk-amd64", "25.0.1");
  test::makeVersionedBundle(jvms + "/a-bundle-without-release.jdk", "30");
  std::filesystem::create_directory_symlink("java-17-openjdk-amd64", jvms + "/default-java");
  std::filesystem::create_directory_symlink(jvms + "/java-17-openjdk-amd64", jvms + "/java-1.17.0-openjdk-amd64");
  const struct {
    OptString max;
    OptString chosen;
  } cases[] = {
      {std::nullopt, "temurin-25-jdk-amd64"}, {"24", "graalvm-jdk-21"}, {"20", "java-17-openjdk-amd64"},
      {"16", "zulu-11"}, {"8", std::nullopt},
  };
  for (const auto& c : cases) {
    launchJavaVersion = nullptr;
    RunState fresh;
    Launcher searcher{fresh};
    searcher.searchRoots = launcher.searchRoots;
    test::ScopedTrace trace(true);
    testing::internal::CaptureStderr();
    searcher.findPublicJavaBundle(std::nullopt, c.max, false);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(launchJavaVersion ? searcher.javaBundlePath : std::nullopt,
              c.chosen ? OptString(jvms + "/" + *c.chosen) : std::nullopt)
        << c.max.value_or("no maximum") << "\n" << err;
    // The version-less entry comes last; the aliases are never tried.
    if (!c.chosen) {
      EXPECT_NE(err.find("runtime order with versions (\n    \"temurin-25-jdk-amd64 25.0.1\",\n    \"graalvm-jdk-21 "
                         "21.0.2\",\n    \"java-17-openjdk-amd64 17.0.15\",\n    \"zulu-11 11.0.20\",\n    "
                         "\"a-bundle-without-release.jdk (no version)\"\n)"),
                std::string::npos)
          << err;
      EXPECT_EQ(err.find("default-java"), std::string::npos) << err;
      EXPECT_EQ(err.find("java-1.17.0-openjdk-amd64"), std::string::npos) << err;
    }
  }
}

TEST_F(FindPublicJavaBundle, TakesTheNewestNameWithinTheRange) {
  const std::string jvms = launcher.searchRoots.systemRuntimeDirectory;
  test::makeVersionedBundle(jvms + "/jdk-21.jdk", "21.0.1");
  test::makeVersionedBundle(jvms + "/jdk-17.0.10.jdk", "17.0.10+7");
  test::makeVersionedBundle(jvms + "/jdk-17.0.2.jdk", "17.0.2");
  test::makeVersionedBundle(jvms + "/jdk1.8.0_202.jdk", "1.8.0_202");
  test::writeFile(jvms + "/.hidden", "a file");

  launcher.findPublicJavaBundle("1.8", "17", false);
  EXPECT_EQ(accepted(), "17.0.10");
  EXPECT_EQ(launcher.javaBundlePath, jvms + "/jdk-17.0.10.jdk");
  ASSERT_TRUE(launcher.javaBundle);
  EXPECT_EQ(launcher.javaBundle->path(), jvms + "/jdk-17.0.10.jdk");
  EXPECT_EQ(launcher.javaVersion, "17.0.10+7");
  EXPECT_EQ(launcher.javaMajorVersion, 17);
  EXPECT_FALSE(launcher.pluginUsed);
}

TEST_F(FindPublicJavaBundle, SkipsOtherProcessorsAndNamesThatAreNoRuntime) {
  const std::string jvms = launcher.searchRoots.systemRuntimeDirectory;
  std::string v = "25";
  test::makeRuntimeBundle(jvms + "/jdk-25.jdk", test::xmlPlist(test::runtimeInfoBody(&v)),
                          test::foreignExecutable());
  test::writeFile(jvms + "/jdk-24.jdk", "not a directory");
  std::filesystem::create_directories(jvms + "/jdk-23.jdk");
  test::makePlainHome(jvms + "/temurin-11", "11.0.20");

  launcher.findPublicJavaBundle(std::nullopt, std::nullopt, false);
  EXPECT_EQ(accepted(), "11.0.20");
  EXPECT_EQ(launcher.javaBundlePath, jvms + "/temurin-11");
}

TEST_F(FindPublicJavaBundle, NothingAcceptableLeavesTheLastPathTried) {
  const std::string jvms = launcher.searchRoots.systemRuntimeDirectory;
  test::makeVersionedBundle(jvms + "/jdk-21.jdk", "21");
  test::makeVersionedBundle(jvms + "/zulu-17.jdk", "17");

  launcher.findPublicJavaBundle("22", std::nullopt, false);
  EXPECT_EQ(accepted(), std::nullopt);
  EXPECT_FALSE(launcher.javaBundle);
  EXPECT_EQ(launcher.javaBundlePath, jvms + "/zulu-17.jdk");

  Launcher missing{run};
  missing.searchRoots.systemRuntimeDirectory = dir / "absent";
  missing.searchRoots.pluginPath = dir / "absent.plugin";
  missing.findPublicJavaBundle(std::nullopt, std::nullopt, true);
  EXPECT_FALSE(missing.javaBundle);
  EXPECT_FALSE(missing.javaBundlePath);
}

TEST_F(FindPublicJavaBundle, PrefersAnOraclePlugIn) {
  const std::string plugin = launcher.searchRoots.pluginPath;
  test::makeVersionedBundle(launcher.searchRoots.systemRuntimeDirectory + "/jdk-21.jdk", "21");
  test::makeRuntimeBundle(plugin, test::xmlPlist(test::runtimeInfoBody(
                                      nullptr, test::xmlKeyString("CFBundleVersion", "1.8.202.08") +
                                                   test::xmlKeyString("CFBundleIdentifier",
                                                                      "com.oracle.java.JavaAppletPlugin"))));
  // Without its Contents/Home/bin/java the plug-in is not considered.
  launcher.findPublicJavaBundle(std::nullopt, std::nullopt, false);
  EXPECT_EQ(accepted(), "21");
  EXPECT_FALSE(launcher.pluginUsed);

  launchJavaVersion = nullptr;
  test::writeFile(plugin + "/Contents/Home/bin/java", "");
  Launcher withPlugin{run};
  withPlugin.searchRoots = launcher.searchRoots;
  withPlugin.findPublicJavaBundle(std::nullopt, "1.8.0_250", false);
  EXPECT_EQ(accepted(), "1.8.202.08");
  EXPECT_TRUE(withPlugin.pluginUsed);
  EXPECT_EQ(withPlugin.javaBundlePath, plugin);
  ASSERT_TRUE(withPlugin.javaBundle);
  EXPECT_EQ(withPlugin.javaBundle->path(), plugin);
}

TEST_F(FindPublicJavaBundle, APlugInFromAnotherVendorIsNeverChecked) {
  const std::string plugin = launcher.searchRoots.pluginPath;
  test::makeVersionedBundle(launcher.searchRoots.systemRuntimeDirectory + "/jdk-21.jdk", "21");
  const std::string kinds[] = {
      test::xmlKeyString("CFBundleIdentifier", "org.example.plugin") +
          test::xmlKeyString("CFBundleGetInfoString", "oracle, in lower case"),
      test::xmlKeyString("CFBundleIdentifier", "com.oraclex"),  // passes: a prefix test
      test::xmlKeyString("CFBundleGetInfoString", "Java by Oracle"),
  };
  const bool oracle[] = {false, true, true};
  for (size_t i = 0; i < std::size(kinds); ++i) {
    std::filesystem::remove_all(plugin);
    std::string v = "1.8.0_202";
    test::makeRuntimeBundle(plugin, test::xmlPlist(test::runtimeInfoBody(&v, kinds[i])));
    test::writeFile(plugin + "/Contents/Home/bin/java", "");
    launchJavaVersion = nullptr;
    Launcher searcher{run};
    searcher.searchRoots = launcher.searchRoots;
    searcher.findPublicJavaBundle(std::nullopt, std::nullopt, false);
    EXPECT_EQ(searcher.pluginUsed, oracle[i]) << i;
    EXPECT_EQ(accepted(), oracle[i] ? "1.8.0" : "21") << i;
  }
}

using FindDirectoryJavaBundle = SearchTest;

TEST_F(FindDirectoryJavaBundle, ReplacesVariablesBeforeTheExistenceTest) {
  test::makeVersionedBundle(dir / "runtimes/jdk-17.jdk", "17.0.2");
  test::ScopedEnv env("KVX_TEST_RUNTIMES", dir / "runtimes");
  launcher.findDirectoryJavaBundle("${KVX_TEST_RUNTIMES}/jdk-17.jdk", "11", "17", false);
  EXPECT_EQ(accepted(), "17.0.2");
  EXPECT_EQ(launcher.javaBundlePath, dir / "runtimes/jdk-17.jdk");
  EXPECT_TRUE(launcher.javaBundle);
}

TEST_F(FindDirectoryJavaBundle, AbsentMissingAndRefusedDirectories) {
  launcher.javaBundlePath = "before";
  launcher.findDirectoryJavaBundle(std::nullopt, std::nullopt, std::nullopt, true);
  EXPECT_EQ(launcher.javaBundlePath, "before");

  launcher.findDirectoryJavaBundle(dir / "missing.jdk", std::nullopt, std::nullopt, true);
  EXPECT_EQ(launcher.javaBundlePath, dir / "missing.jdk");
  EXPECT_FALSE(launcher.javaBundle);

  test::makeVersionedBundle(dir / "jdk-21.jdk", "21");
  launcher.findDirectoryJavaBundle(dir / "jdk-21.jdk", std::nullopt, "17", true);
  EXPECT_EQ(launcher.javaBundlePath, dir / "jdk-21.jdk");
  EXPECT_FALSE(launcher.javaBundle);
  EXPECT_EQ(accepted(), std::nullopt);
}

// Earlier installations, found through the store their installers keep in
// the user defaults.
class FindJavaPreviousInstallation : public SearchTest {
 protected:
  void writeStore(const std::string& entriesJson) {
    test::writePlistWithPython(dir / "config/kestrovel/preferences/com.kestrovel.installations.plist",
                               R"({"/com/kestrovel/installations/": {)" + entriesJson + "}}", false);
  }
  void search(const OptString& max = std::nullopt) {
    launcher.findJavaPreviousInstallation(&config, std::nullopt, max, false);
  }

  test::ScopedEnv configHome{"XDG_CONFIG_HOME", dir / "config"};
  plist::Value config = plist::Value::dictionary({{"kvx.appId", plist::Value::string("1234")}});
};

TEST_F(FindJavaPreviousInstallation, TriesInstallationsInListOrder) {
  const std::string a = dir / "a", b = dir / "b", c = dir / "c";
  test::makeVersionedBundle(a + "/App A.app/Contents/Resources/jre.bundle", "11.0.2");
  test::makeVersionedBundle(b + "/App B.app/Contents/PlugIns/jre.bundle", "17.0.2");
  test::makeVersionedBundle(c + "/.kestrovel/jre.bundle", "21.0.1");
  writeStore(R"("allinstdirs1234": ")" + a + ";" + b + ";" + c + R"(",
                "singleBundleName1234_)" + a + R"(": "App A.app",
                "singleBundleName1234_)" + b + R"(": "App B.app")");

  // The first acceptable one wins, not the newest.
  search();
  EXPECT_EQ(accepted(), "11.0.2");
  EXPECT_EQ(launcher.javaBundlePath, a + "/App A.app/Contents/Resources/jre.bundle");

  launchJavaVersion = nullptr;
  search("17");
  EXPECT_EQ(accepted(), "11.0.2");

  launchJavaVersion = nullptr;
  launcher.findJavaPreviousInstallation(&config, "12", std::nullopt, false);
  EXPECT_EQ(accepted(), "17.0.2");
  EXPECT_EQ(launcher.javaBundlePath, b + "/App B.app/Contents/PlugIns/jre.bundle");

  launchJavaVersion = nullptr;
  launcher.findJavaPreviousInstallation(&config, "18", std::nullopt, false);
  EXPECT_EQ(accepted(), "21.0.1");
  EXPECT_EQ(launcher.javaBundlePath, c + "/.kestrovel/jre.bundle");
}

TEST_F(FindJavaPreviousInstallation, EmptyElementsAndBundlesWithoutRuntime) {
  const std::string a = dir / "a";
  std::filesystem::create_directories(a + "/App.app/Contents/MacOS");
  writeStore(R"("allinstdirs1234": ")" + a + R"(;",
                "singleBundleName1234_)" + a + R"(": "App.app")");
  search();
  EXPECT_EQ(accepted(), std::nullopt);
  EXPECT_FALSE(launcher.javaBundle);
  // The trailing ";" gives an empty directory: "/.kestrovel/jre.bundle".
  EXPECT_EQ(launcher.javaBundlePath, "/.kestrovel/jre.bundle");

  writeStore(R"("allinstdirs1234": ")" + a + R"(;",
                "singleBundleName1234_": "Empty.app",
                "singleBundleName1234_)" + a + R"(": "App.app")");
  search();
  EXPECT_EQ(launcher.javaBundlePath, "/Empty.app/Contents/PlugIns/jre.bundle");
}

TEST_F(FindJavaPreviousInstallation, NeedsTheApplicationIdAndTheStore) {
  test::makeVersionedBundle(dir / "a/.kestrovel/jre.bundle", "17");
  launcher.javaBundlePath = "before";
  search();  // no store yet
  EXPECT_EQ(launcher.javaBundlePath, "before");

  writeStore(R"("allinstdirs1234": ")" + dir / "a" + R"(", "allinstdirs999": 5)");
  plist::Value noId = plist::Value::dictionary({});
  launcher.findJavaPreviousInstallation(&noId, std::nullopt, std::nullopt, false);
  launcher.findJavaPreviousInstallation(nullptr, std::nullopt, std::nullopt, false);
  plist::Value otherId = plist::Value::dictionary({{"kvx.appId", plist::Value::string("999")}});
  launcher.findJavaPreviousInstallation(&otherId, std::nullopt, std::nullopt, false);
  EXPECT_EQ(launcher.javaBundlePath, "before");
  EXPECT_EQ(accepted(), std::nullopt);

  search();
  EXPECT_EQ(accepted(), "17");
}

// The machine's own runtimes under /usr/lib/jvm, judged against what their
// release files say, read here independently of the launcher.
struct InstalledRuntime {
  std::string version;
  std::vector<long> components;
};

std::vector<long> numericComponents(const std::string& version) {
  std::vector<long> parts;
  for (const std::string& p : version::splitComponents(version)) parts.push_back(std::atol(p.c_str()));
  return parts;
}

bool olderThan(const std::vector<long>& a, const std::vector<long>& b) {
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    long x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
    if (x != y) return x < y;
  }
  return false;
}

std::optional<std::string> releaseVersion(const std::filesystem::path& home) {
  std::ifstream in(home / "release");
  std::string line;
  const std::string key = "JAVA_VERSION=\"";
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return line.substr(key.size(), line.find('"', key.size()) - key.size());
  }
  return std::nullopt;
}

std::vector<InstalledRuntime> installedRuntimes() {
  std::vector<InstalledRuntime> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/jvm", ec)) {
    std::optional<std::string> v = releaseVersion(entry.path());
    if (v && std::filesystem::exists(entry.path() / "lib/libjli.so")) found.push_back({*v, numericComponents(*v)});
  }
  return found;
}

TEST(RealRuntimes, TheNewestAcceptableRuntimeOfTheMachineIsTaken) {
  std::vector<InstalledRuntime> installed = installedRuntimes();
  if (installed.empty()) GTEST_SKIP() << "no runtime in /usr/lib/jvm";
  std::vector<long> majors;
  for (const InstalledRuntime& r : installed) majors.push_back(r.components[0] == 1 ? r.components[1] : r.components[0]);
  long newestMajor = *std::max_element(majors.begin(), majors.end());
  long oldestMajor = *std::min_element(majors.begin(), majors.end());

  struct Limits {
    OptString min, max;
  };
  const Limits limits[] = {
      {std::nullopt, std::nullopt},
      {std::to_string(oldestMajor), std::to_string(oldestMajor)},
      {std::to_string(newestMajor), std::nullopt},
      {std::nullopt, std::to_string(newestMajor - 1)},
      {std::to_string(newestMajor + 1), std::nullopt},
  };
  for (const Limits& l : limits) {
    SCOPED_TRACE(l.min.value_or("-") + ".." + l.max.value_or("-"));
    // Single-component limits compare the first component of the version.
    const InstalledRuntime* expected = nullptr;
    for (const InstalledRuntime& r : installed) {
      bool inRange = (!l.min || r.components[0] >= std::stol(*l.min)) &&
                     (!l.max || r.components[0] <= std::stol(*l.max));
      if (inRange && (!expected || olderThan(expected->components, r.components))) expected = &r;
    }
    launchJavaVersion = nullptr;
    RunState run;
    Launcher launcher{run};
    launcher.findPublicJavaBundle(l.min, l.max, false);
    if (!expected) {
      EXPECT_EQ(launchJavaVersion, nullptr);
      EXPECT_FALSE(launcher.javaBundle);
      continue;
    }
    ASSERT_TRUE(launchJavaVersion && launcher.javaBundle && launcher.javaBundlePath);
    EXPECT_EQ(releaseVersion(*launcher.javaBundlePath), expected->version);
    EXPECT_EQ(launcher.javaVersion, expected->version);
    EXPECT_EQ(std::string(launchJavaVersion), expected->version.substr(0, expected->version.find_first_of("_+")));
    long major = expected->components[0] == 1 ? expected->components[1] : expected->components[0];
    EXPECT_EQ(launcher.javaMajorVersion, major);
  }
  launchJavaVersion = nullptr;
}

}  // namespace
}  // namespace kvx
