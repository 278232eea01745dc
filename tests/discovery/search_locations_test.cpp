#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "discovery/version_tokens.h"
#include "discovery/version_strings.h"
#include "discovery/runtime_search.h"
#include "test_support/scoped_trace.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

SearchRoots rootsIn(const std::string& dir) {
  SearchRoots roots;
  roots.systemRuntimeDirectory = dir + "/JavaVirtualMachines";
  roots.pluginPath = dir + "/JavaAppletPlugin.plugin";
  return roots;
}

class SearchTest : public ::testing::Test {
 protected:
  const OptString& accepted() const { return search.acceptedVersion(); }
  const RuntimeChoice& candidate() const { return search.candidate(); }

  test::TempDir dir;
  const SearchRoots roots = rootsIn(dir.path());
  RunState run;
  RuntimeSearch search{run, roots};
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
  const std::string jvms = roots.systemRuntimeDirectory;
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
    RunState fresh;
    RuntimeSearch searcher(fresh, roots);
    test::ScopedTrace trace(true);
    testing::internal::CaptureStderr();
    searcher.findPublicJavaBundle(std::nullopt, c.max, false);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(searcher.acceptedVersion() ? searcher.candidate().javaBundlePath : std::nullopt,
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
  const std::string jvms = roots.systemRuntimeDirectory;
  test::makeVersionedBundle(jvms + "/jdk-21.jdk", "21.0.1");
  test::makeVersionedBundle(jvms + "/jdk-17.0.10.jdk", "17.0.10+7");
  test::makeVersionedBundle(jvms + "/jdk-17.0.2.jdk", "17.0.2");
  test::makeVersionedBundle(jvms + "/jdk1.8.0_202.jdk", "1.8.0_202");
  test::writeFile(jvms + "/.hidden", "a file");

  search.findPublicJavaBundle("1.8", "17", false);
  EXPECT_EQ(accepted(), "17.0.10");
  EXPECT_EQ(candidate().javaBundlePath, jvms + "/jdk-17.0.10.jdk");
  ASSERT_TRUE(candidate().javaBundle);
  EXPECT_EQ(candidate().javaBundle->path(), jvms + "/jdk-17.0.10.jdk");
  EXPECT_EQ(candidate().javaVersion, "17.0.10+7");
  EXPECT_EQ(candidate().javaMajorVersion, 17);
  EXPECT_FALSE(candidate().pluginUsed);
}

TEST_F(FindPublicJavaBundle, SkipsOtherProcessorsAndNamesThatAreNoRuntime) {
  const std::string jvms = roots.systemRuntimeDirectory;
  std::string v = "25";
  test::makeRuntimeBundle(jvms + "/jdk-25.jdk", test::xmlPlist(test::runtimeInfoBody(&v)),
                          test::foreignExecutable());
  test::writeFile(jvms + "/jdk-24.jdk", "not a directory");
  std::filesystem::create_directories(jvms + "/jdk-23.jdk");
  test::makePlainHome(jvms + "/temurin-11", "11.0.20");

  search.findPublicJavaBundle(std::nullopt, std::nullopt, false);
  EXPECT_EQ(accepted(), "11.0.20");
  EXPECT_EQ(candidate().javaBundlePath, jvms + "/temurin-11");
}

TEST_F(FindPublicJavaBundle, NothingAcceptableLeavesTheLastPathTried) {
  const std::string jvms = roots.systemRuntimeDirectory;
  test::makeVersionedBundle(jvms + "/jdk-21.jdk", "21");
  test::makeVersionedBundle(jvms + "/zulu-17.jdk", "17");

  search.findPublicJavaBundle("22", std::nullopt, false);
  EXPECT_EQ(accepted(), std::nullopt);
  EXPECT_FALSE(candidate().javaBundle);
  EXPECT_EQ(candidate().javaBundlePath, jvms + "/zulu-17.jdk");

  SearchRoots absent;
  absent.systemRuntimeDirectory = dir / "absent";
  absent.pluginPath = dir / "absent.plugin";
  RuntimeSearch missing(run, absent);
  missing.findPublicJavaBundle(std::nullopt, std::nullopt, true);
  EXPECT_FALSE(missing.candidate().javaBundle);
  EXPECT_FALSE(missing.candidate().javaBundlePath);
}

TEST_F(FindPublicJavaBundle, PrefersAnOraclePlugIn) {
  const std::string plugin = roots.pluginPath;
  test::makeVersionedBundle(roots.systemRuntimeDirectory + "/jdk-21.jdk", "21");
  test::makeRuntimeBundle(plugin, test::xmlPlist(test::runtimeInfoBody(
                                      nullptr, test::xmlKeyString("CFBundleVersion", "1.8.202.08") +
                                                   test::xmlKeyString("CFBundleIdentifier",
                                                                      "com.oracle.java.JavaAppletPlugin"))));
  // Without its Contents/Home/bin/java the plug-in is not considered.
  search.findPublicJavaBundle(std::nullopt, std::nullopt, false);
  EXPECT_EQ(accepted(), "21");
  EXPECT_FALSE(candidate().pluginUsed);

  test::writeFile(plugin + "/Contents/Home/bin/java", "");
  RuntimeSearch withPlugin(run, roots);
  withPlugin.findPublicJavaBundle(std::nullopt, "1.8.0_250", false);
  EXPECT_EQ(withPlugin.acceptedVersion(), "1.8.202.08");
  EXPECT_TRUE(withPlugin.candidate().pluginUsed);
  EXPECT_EQ(withPlugin.candidate().javaBundlePath, plugin);
  ASSERT_TRUE(withPlugin.candidate().javaBundle);
  EXPECT_EQ(withPlugin.candidate().javaBundle->path(), plugin);
}

TEST_F(FindPublicJavaBundle, APlugInFromAnotherVendorIsNeverChecked) {
  const std::string plugin = roots.pluginPath;
  test::makeVersionedBundle(roots.systemRuntimeDirectory + "/jdk-21.jdk", "21");
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
    RuntimeSearch searcher(run, roots);
    searcher.findPublicJavaBundle(std::nullopt, std::nullopt, false);
    EXPECT_EQ(searcher.candidate().pluginUsed, oracle[i]) << i;
    EXPECT_EQ(searcher.acceptedVersion(), oracle[i] ? "1.8.0" : "21") << i;
  }
}

using FindDirectoryJavaBundle = SearchTest;

TEST_F(FindDirectoryJavaBundle, ReplacesVariablesBeforeTheExistenceTest) {
  test::makeVersionedBundle(dir / "runtimes/jdk-17.jdk", "17.0.2");
  test::ScopedEnv env("KVX_TEST_RUNTIMES", dir / "runtimes");
  search.findDirectoryJavaBundle("${KVX_TEST_RUNTIMES}/jdk-17.jdk", "11", "17", false);
  EXPECT_EQ(accepted(), "17.0.2");
  EXPECT_EQ(candidate().javaBundlePath, dir / "runtimes/jdk-17.jdk");
  EXPECT_TRUE(candidate().javaBundle);
}

TEST_F(FindDirectoryJavaBundle, AbsentMissingAndRefusedDirectories) {
  search.findDirectoryJavaBundle(std::nullopt, std::nullopt, std::nullopt, true);
  EXPECT_EQ(candidate().javaBundlePath, std::nullopt);

  search.findDirectoryJavaBundle(dir / "missing.jdk", std::nullopt, std::nullopt, true);
  EXPECT_EQ(candidate().javaBundlePath, dir / "missing.jdk");
  EXPECT_FALSE(candidate().javaBundle);

  test::makeVersionedBundle(dir / "jdk-21.jdk", "21");
  search.findDirectoryJavaBundle(dir / "jdk-21.jdk", std::nullopt, "17", true);
  EXPECT_EQ(candidate().javaBundlePath, dir / "jdk-21.jdk");
  EXPECT_FALSE(candidate().javaBundle);
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
  void find(const OptString& max = std::nullopt) { findWith(config, std::nullopt, max); }
  void findWith(const plist::Value& configuration, const OptString& min, const OptString& max) {
    run.infoDictionary = &configuration;
    search.findJavaPreviousInstallation(min, max, false);
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
  find();
  EXPECT_EQ(accepted(), "11.0.2");
  EXPECT_EQ(candidate().javaBundlePath, a + "/App A.app/Contents/Resources/jre.bundle");

  find("17");
  EXPECT_EQ(accepted(), "11.0.2");

  findWith(config, "12", std::nullopt);
  EXPECT_EQ(accepted(), "17.0.2");
  EXPECT_EQ(candidate().javaBundlePath, b + "/App B.app/Contents/PlugIns/jre.bundle");

  findWith(config, "18", std::nullopt);
  EXPECT_EQ(accepted(), "21.0.1");
  EXPECT_EQ(candidate().javaBundlePath, c + "/.kestrovel/jre.bundle");
}

TEST_F(FindJavaPreviousInstallation, EmptyElementsAndBundlesWithoutRuntime) {
  const std::string a = dir / "a";
  std::filesystem::create_directories(a + "/App.app/Contents/MacOS");
  writeStore(R"("allinstdirs1234": ")" + a + R"(;",
                "singleBundleName1234_)" + a + R"(": "App.app")");
  find();
  EXPECT_EQ(accepted(), std::nullopt);
  EXPECT_FALSE(candidate().javaBundle);
  // The trailing ";" gives an empty directory: "/.kestrovel/jre.bundle".
  EXPECT_EQ(candidate().javaBundlePath, "/.kestrovel/jre.bundle");

  writeStore(R"("allinstdirs1234": ")" + a + R"(;",
                "singleBundleName1234_": "Empty.app",
                "singleBundleName1234_)" + a + R"(": "App.app")");
  find();
  EXPECT_EQ(candidate().javaBundlePath, "/Empty.app/Contents/PlugIns/jre.bundle");
}

TEST_F(FindJavaPreviousInstallation, NeedsTheApplicationIdAndTheStore) {
  test::makeVersionedBundle(dir / "a/.kestrovel/jre.bundle", "17");
  find();  // no store yet
  EXPECT_EQ(candidate().javaBundlePath, std::nullopt);

  writeStore(R"("allinstdirs1234": ")" + dir / "a" + R"(", "allinstdirs999": 5)");
  plist::Value noId = plist::Value::dictionary({});
  findWith(noId, std::nullopt, std::nullopt);
  run.infoDictionary = nullptr;
  search.findJavaPreviousInstallation(std::nullopt, std::nullopt, false);
  plist::Value otherId = plist::Value::dictionary({{"kvx.appId", plist::Value::string("999")}});
  findWith(otherId, std::nullopt, std::nullopt);
  EXPECT_EQ(candidate().javaBundlePath, std::nullopt);
  EXPECT_EQ(accepted(), std::nullopt);

  find();
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
    RunState run;
    RuntimeSearch search(run, SearchRoots());
    search.findPublicJavaBundle(l.min, l.max, false);
    const RuntimeChoice& chosen = search.candidate();
    if (!expected) {
      EXPECT_EQ(search.acceptedVersion(), std::nullopt);
      EXPECT_FALSE(chosen.javaBundle);
      continue;
    }
    ASSERT_TRUE(search.acceptedVersion() && chosen.javaBundle && chosen.javaBundlePath);
    EXPECT_EQ(releaseVersion(*chosen.javaBundlePath), expected->version);
    EXPECT_EQ(chosen.javaVersion, expected->version);
    EXPECT_EQ(*search.acceptedVersion(), expected->version.substr(0, expected->version.find_first_of("_+")));
    long major = expected->components[0] == 1 ? expected->components[1] : expected->components[0];
    EXPECT_EQ(chosen.javaMajorVersion, major);
  }
}

}  // namespace
}  // namespace kvx
