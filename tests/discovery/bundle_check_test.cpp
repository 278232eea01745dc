#include <gtest/gtest.h>

#include <string>

#include "image/executable_architectures.h"
#include "discovery/runtime_search.h"
#include "base/exception.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {


TEST(CheckBundleVersion, DecidesOnVersionPreReleaseAndRange) {
  struct Case {
    const char* name;
    OptString min, max;
    bool allowBeta, plugin;
    OptString version, evar, info;
    OptString result;
    int32_t major;
  };
  const OptString none;
  const Case cases[] = {
      {"1.8 in 1.8..21", "1.8", "21", false, false, "1.8.0_202", none, none, "1.8.0", 8},
      {"build suffix cut", none, none, false, false, "17.0.2+8", none, none, "17.0.2", 17},
      {"plain major", none, none, false, false, "17", none, none, "17", 17},
      {"cut at the first of _ and +", none, none, false, false, "11+28_x", none, none, "11", 11},
      {"pre-release refused", none, none, false, false, "21-ea", none, none, none, 0},
      {"pre-release allowed", none, none, true, false, "21-ea", none, none, "21-ea", 21},
      {"EvarVersion pre-release", none, none, false, false, "17.0.2", "17-beta", none, none, 0},
      {"info string contains ea", none, none, false, false, "17.0.2", none, "Great release", none, 0},
      {"info string contains rc", none, none, false, false, "17.0.2", "x", "Source", none, 0},
      {"pre-release markers allowed", none, none, true, false, "17.0.2", "beta", "rc", "17.0.2", 17},
      {"below minimum", "11", none, false, false, "1.8.0_202", none, none, none, 0},
      {"above maximum", none, "1.8", false, false, "17.0.2", none, none, none, 0},
      {"minimum is inclusive", "17.0.2", none, false, false, "17.0.2", none, none, "17.0.2", 17},
      {"empty version, no minimum", none, "21", false, false, "", none, none, "", 0},
      {"empty version, minimum", "1", none, false, false, "", none, none, none, 0},
      {"absent version", none, none, true, false, none, none, none, none, 0},
      // A plug-in's 1.8.202.08 is judged as 1.8.0.202: within a maximum of
      // 1.8.0.250, which the version as written (1.8.202) exceeds.
      {"plug-in rearranged", none, "1.8.0.250", false, true, "1.8.202.08", none, none, "1.8.202.08", 8},
      {"not a plug-in", none, "1.8.0.250", false, false, "1.8.202.08", none, none, none, 0},
      {"plug-in element 2 is 0", none, "1.8.0.250", false, true, "1.8.0.202", none, none, "1.8.0.202", 8},
      {"plug-in, not 1.x", none, "11.0.1", false, true, "11.0.2.1", none, none, none, 0},
      {"plug-in, three parts", none, "1.8.0.250", false, true, "1.8.202", none, none, none, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunState run;
    RuntimeSearch search(run, SearchRoots());
    EXPECT_EQ(search.checkBundleVersion(c.min, c.max, c.allowBeta, c.plugin, c.version, c.evar, c.info),
              c.result);
    // The candidate's fields change only when it is accepted, and then hold
    // the version as read, not the part handed to the launch library.
    EXPECT_EQ(search.candidate().javaVersion, c.result ? c.version : std::nullopt);
    EXPECT_EQ(search.candidate().javaMajorVersion, c.result ? c.major : -1);
  }
}

TEST(CheckBundleVersion, ARefusedCandidateLeavesTheLastAcceptedVersion) {
  RunState run;
  RuntimeSearch search(run, SearchRoots());
  EXPECT_EQ(search.checkBundleVersion(std::nullopt, std::nullopt, false, false, "11.0.2", {}, {}), "11.0.2");
  EXPECT_EQ(search.checkBundleVersion("17", std::nullopt, false, false, "1.8.0_202", {}, {}), std::nullopt);
  EXPECT_EQ(search.candidate().javaVersion, "11.0.2");
  EXPECT_EQ(search.candidate().javaMajorVersion, 11);
}

class CheckJavaVersion : public ::testing::Test {
 protected:
  OptString check(const std::string& bundle, const OptString& min = std::nullopt,
                  const OptString& max = std::nullopt, bool allowBeta = false, bool plugin = false) {
    search.openCandidate(bundle);
    EXPECT_TRUE(search.candidate().javaBundle) << bundle;
    return search.checkJavaVersion(min, max, allowBeta, plugin);
  }
  static std::string info(const std::string& version, const std::string& extra = "") {
    return test::xmlPlist(test::runtimeInfoBody(&version, extra));
  }

  test::TempDir dir;
  RunState run;
  RuntimeSearch search{run, SearchRoots()};
};

TEST_F(CheckJavaVersion, ReadsTheVersionFromXmlAndBinaryInfoPlist) {
  test::makeVersionedBundle(dir / "xml.jdk", "1.8.0_202");
  EXPECT_EQ(check(dir / "xml.jdk", "1.8", "21"), "1.8.0");
  EXPECT_EQ(search.candidate().javaVersion, "1.8.0_202");
  EXPECT_EQ(search.candidate().javaMajorVersion, 8);

  test::writePlistWithPython(
      dir / "binary.jdk/Contents/Info.plist",
      R"({"CFBundleExecutable": "libjli.so", "JavaVM": {"JVMVersion": "17.0.2+8"}})", true);
  test::writeFile(dir / "binary.jdk/Contents/MacOS/libjli.so", test::nativeExecutable());
  EXPECT_EQ(check(dir / "binary.jdk"), "17.0.2");
  EXPECT_EQ(search.candidate().javaMajorVersion, 17);
}

TEST_F(CheckJavaVersion, RejectsExecutablesWithoutCodeForThisProcessor) {
  const std::string v = "17.0.2";
  const int32_t own = image::launcherCpuType();
  const int32_t other = own == image::kCpuTypeArm64 ? image::kCpuTypeX86_64 : image::kCpuTypeArm64;
  const std::pair<const char*, std::string> foreign[] = {
      {"elf.jdk", test::foreignExecutable()},
      {"macho.jdk", test::machOHeader(other)},
      {"fat-other.jdk", test::fatHeader({image::kCpuTypeI386, static_cast<uint32_t>(other)}, true)},
      {"text.jdk", "#!/bin/sh\n"},
  };
  for (const auto& [name, executable] : foreign) {
    test::makeRuntimeBundle(dir / name, info(v), executable);
    EXPECT_EQ(check(dir / name, std::nullopt, std::nullopt, true), std::nullopt) << name;
  }
  test::writeFile(dir / "noexec.jdk/Contents/Info.plist", info(v));
  EXPECT_EQ(check(dir / "noexec.jdk"), std::nullopt);

  // The version fields are never reached for a foreign executable.
  EXPECT_FALSE(search.candidate().javaVersion);
  EXPECT_EQ(search.candidate().javaMajorVersion, -1);

  test::makeRuntimeBundle(dir / "fat.jdk", info(v),
                          test::fatHeader({static_cast<uint32_t>(other), static_cast<uint32_t>(own)}));
  EXPECT_EQ(check(dir / "fat.jdk"), "17.0.2");
}

TEST_F(CheckJavaVersion, BundleVersionCountsOnlyForThePlugIn) {
  test::makeRuntimeBundle(dir / "plugin",
                          test::xmlPlist(test::runtimeInfoBody(nullptr, test::xmlKeyString("CFBundleVersion", "1.8.202.08"))));
  EXPECT_EQ(check(dir / "plugin"), std::nullopt);
  EXPECT_EQ(check(dir / "plugin", std::nullopt, "1.8.0_250", false, true), "1.8.202.08");
  EXPECT_EQ(search.candidate().javaMajorVersion, 8);

  // With both, JVMVersion wins.
  test::makeRuntimeBundle(dir / "both", info("1.8.0_202", test::xmlKeyString("CFBundleVersion", "1.8.202.08")));
  EXPECT_EQ(check(dir / "both", std::nullopt, std::nullopt, false, true), "1.8.0");
}

TEST_F(CheckJavaVersion, PreReleaseMarkersInTheOtherKeys) {
  test::makeRuntimeBundle(dir / "evar", info("17.0.2", test::xmlKeyString("EvarVersion", "17-ea")));
  test::makeRuntimeBundle(dir / "getinfo", info("17.0.2", test::xmlKeyString("CFBundleGetInfoString", "Java SE beta")));
  for (const char* name : {"evar", "getinfo"}) {
    EXPECT_EQ(check(dir / name), std::nullopt) << name;
    EXPECT_EQ(check(dir / name, std::nullopt, std::nullopt, true), "17.0.2") << name;
  }
}

TEST_F(CheckJavaVersion, PlainHomeAndMissingBundle) {
  test::makePlainHome(dir / "home", "21.0.1");
  EXPECT_EQ(check(dir / "home", "17", "21"), "21.0.1");
  EXPECT_EQ(search.candidate().javaMajorVersion, 21);

  search.openCandidate(dir / "missing");
  EXPECT_FALSE(search.candidate().javaBundle);
  EXPECT_EQ(search.checkJavaVersion(std::nullopt, std::nullopt, true, true), std::nullopt);
}

TEST_F(CheckJavaVersion, ValuesOfTheWrongTypeRejectTheCandidate) {
  const std::pair<const char*, std::string> bodies[] = {
      {"number", "<key>JavaVM</key><dict><key>JVMVersion</key><integer>17</integer></dict>"},
      {"javavm-string", "<key>JavaVM</key><string>17</string>"},
      {"evar-array", "<key>JavaVM</key><dict><key>JVMVersion</key><string>17</string></dict>"
                     "<key>EvarVersion</key><array/>"},
  };
  for (const auto& [name, body] : bodies) {
    test::makeRuntimeBundle(dir / name, test::xmlPlist(test::runtimeInfoBody(nullptr, body)));
    EXPECT_EQ(check(dir / name), std::nullopt) << name;
  }
}

TEST(GetJavaMinVersion, ReadsTheConfiguration) {
  RunState run;
  plist::Value with = plist::Value::dictionary({{"kvx.minVersion", plist::Value::string("11")}});
  plist::Value without = plist::Value::dictionary({});
  plist::Value wrong = plist::Value::dictionary({{"kvx.minVersion", plist::Value::integer(11)}});
  run.infoDictionary = &with;
  EXPECT_EQ(getJavaMinVersion(run), "11");
  run.infoDictionary = &without;
  EXPECT_EQ(getJavaMinVersion(run), std::nullopt);
  run.infoDictionary = &wrong;
  EXPECT_THROW(getJavaMinVersion(run), PlatformException);
}

TEST(CheckArchitecture, NeedsABundle) {
  EXPECT_FALSE(checkArchitecture(nullptr));
}

}  // namespace
}  // namespace kvx
