#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/executable_architectures.h"
#include "java_runtime/runtime_bundle.h"
#include "java_runtime/runtime_layout.h"
#include "platform/bundle.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/temp_dir.h"

namespace kvx::java_runtime {
namespace {

using test::elfHeader;
using test::fatHeader;
using test::machOHeader;
using Types = std::vector<int32_t>;
using platform::Bundle;
using namespace image;

class RuntimeBundle : public ::testing::Test {
 protected:
  test::TempDir dir;
};

TEST_F(RuntimeBundle, ReadsXmlAndBinaryInfoPlist) {
  for (bool binary : {false, true}) {
    std::string path = dir / (binary ? "binary.jdk" : "xml.jdk");
    test::writePlistWithPython(
        path + "/Contents/Info.plist",
        R"({"CFBundleExecutable": "libjli.so", "JavaVM": {"JVMVersion": "17.0.2+8"}})", binary);
    test::writeFile(path + "/Contents/MacOS/libjli.so", fatHeader({kCpuTypeX86_64, kCpuTypeArm64}));

    std::shared_ptr<Bundle> bundle = openRuntimeBundle(path);
    ASSERT_TRUE(bundle) << path;
    EXPECT_EQ(bundle->path(), path);
    const plist::Value* javaVM = bundle->infoValue("JavaVM");
    ASSERT_TRUE(javaVM && javaVM->get("JVMVersion")) << path;
    EXPECT_EQ(javaVM->get("JVMVersion")->str(), "17.0.2+8");
    EXPECT_EQ(bundle->executablePath(), path + "/Contents/MacOS/libjli.so");
    EXPECT_EQ(bundle->executableArchitectures(), (Types{kCpuTypeX86_64, kCpuTypeArm64}));
  }
}

TEST_F(RuntimeBundle, PresentsAPlainJdkHomeAsABundle) {
  test::makePlainHome(dir / "jdk", "25.0.3", elfHeader(183));
  std::shared_ptr<Bundle> bundle = openRuntimeBundle(dir / "jdk");
  ASSERT_TRUE(bundle);
  const plist::Value* javaVM = bundle->infoValue("JavaVM");
  ASSERT_TRUE(javaVM && javaVM->get("JVMVersion"));
  // The quotes of the release file are not part of the version.
  EXPECT_EQ(javaVM->get("JVMVersion")->str(), "25.0.3");
  EXPECT_EQ(bundle->executablePath(), dir / "jdk/lib/libjli.so");
  EXPECT_EQ(bundle->executableArchitectures(), Types{kCpuTypeArm64});
}

// The launch opens lib/jli/libjli.so before lib/libjli.so: the file judged
// must be the one opened, or a home could pass on one file and fail on the other.
TEST_F(RuntimeBundle, APlainHomesExecutableIsTheLibraryTheLaunchOpens) {
  const struct {
    std::vector<std::string> files;
    std::string executable;
  } cases[] = {
      {{"lib/libjli.so"}, "lib/libjli.so"},
      {{"lib/libjli.so", "lib/jli/libjli.so"}, "lib/jli/libjli.so"},
      {{"lib/jli/libjli.so"}, "lib/jli/libjli.so"},
      {{}, "lib/libjli.so"},
  };
  int number = 0;
  for (const auto& c : cases) {
    const std::string home = dir / ("jdk" + std::to_string(++number));
    test::writeFile(home + "/release", "JAVA_VERSION=\"17\"\n");
    for (const std::string& file : c.files) test::writeFile(home + "/" + file, elfHeader(62));
    std::shared_ptr<Bundle> bundle = openRuntimeBundle(home);
    ASSERT_TRUE(bundle) << home;
    EXPECT_EQ(bundle->executablePath(), home + "/" + c.executable) << home;
    EXPECT_EQ(bundle->executablePath(), launchLibraryPath(home)) << home;
    // The relative place the packaging tool ships; none when nothing is there.
    EXPECT_EQ(launchLibraryIn(home), c.files.empty() ? std::nullopt : std::optional<std::string>(c.executable))
        << home;
  }
}

// The version a runtime's information dictionary names, and why a value of
// the wrong type names none.
TEST_F(RuntimeBundle, JVMVersionAndValuesOfTheWrongType) {
  const struct {
    const char* name;
    std::string body;
    std::optional<std::string> version;
    std::string wrongType;
  } cases[] = {
      {"named", "<key>JavaVM</key><dict><key>JVMVersion</key><string>21.0.2+13</string></dict>", "21.0.2+13", ""},
      {"no JavaVM", "", std::nullopt, ""},
      {"no JVMVersion", "<key>JavaVM</key><dict/>", std::nullopt, ""},
      {"JavaVM text", "<key>JavaVM</key><string>17</string>", std::nullopt, "\"JavaVM\" is not a dictionary"},
      {"JVMVersion number", "<key>JavaVM</key><dict><key>JVMVersion</key><integer>17</integer></dict>", std::nullopt,
       "The value of \"JVMVersion\" is integer, not a string."},
  };
  for (const auto& c : cases) {
    test::makeRuntimeBundle(dir / c.name, test::xmlPlist(c.body));
    std::shared_ptr<Bundle> bundle = openRuntimeBundle(dir / c.name);
    ASSERT_TRUE(bundle) << c.name;
    std::string wrongType;
    EXPECT_EQ(jvmVersion(*bundle, &wrongType), c.version) << c.name;
    EXPECT_EQ(wrongType, c.wrongType) << c.name;
    EXPECT_EQ(jvmVersion(*bundle), c.version) << c.name;
  }
}

TEST_F(RuntimeBundle, UnquotedReleaseValueAndOtherKeys) {
  test::writeFile(dir / "jdk/release", "JAVA_VERSION_DATE=\"2020\"\nJAVA_VERSION = 1.8.0_202\r\n");
  std::shared_ptr<Bundle> bundle = openRuntimeBundle(dir / "jdk");
  ASSERT_TRUE(bundle && bundle->infoValue("JavaVM"));
  EXPECT_EQ(bundle->infoValue("JavaVM")->get("JVMVersion")->str(), "1.8.0_202");
}

TEST_F(RuntimeBundle, DirectoriesWithoutRuntimeInformation) {
  // A directory without Contents or release opens with nothing in it, as
  // any directory opens as a bundle; a file or a missing path does not open.
  std::filesystem::create_directories(dir / "empty");
  test::writeFile(dir / "release-without-version/release", "IMPLEMENTOR=\"x\"\n");
  test::writeFile(dir / "broken.jdk/Contents/Info.plist", "<plist><dict><key>");
  test::writeFile(dir / "noexec.jdk/Contents/Info.plist", test::xmlPlist(""));
  for (const char* name : {"empty", "release-without-version", "broken.jdk", "noexec.jdk"}) {
    std::shared_ptr<Bundle> bundle = openRuntimeBundle(dir / name);
    ASSERT_TRUE(bundle) << name;
    EXPECT_TRUE(bundle->infoDictionary().isDictionary()) << name;
    EXPECT_TRUE(bundle->infoDictionary().entries().empty()) << name;
    EXPECT_FALSE(bundle->executablePath()) << name;
    EXPECT_FALSE(bundle->executableArchitectures()) << name;
  }
  test::writeFile(dir / "file.jdk", "x");
  EXPECT_FALSE(openRuntimeBundle(dir / "file.jdk"));
  EXPECT_FALSE(openRuntimeBundle(dir / "missing.jdk"));
}

TEST_F(RuntimeBundle, ExecutableMissingOrForeignGivesNoTypes) {
  std::string version = "17";
  test::writeFile(dir / "missing.jdk/Contents/Info.plist", test::xmlPlist(test::runtimeInfoBody(&version)));
  test::makeRuntimeBundle(dir / "script.jdk", test::xmlPlist(test::runtimeInfoBody(&version)), "#!/bin/sh\n");
  for (const char* name : {"missing.jdk", "script.jdk"}) {
    std::shared_ptr<Bundle> bundle = openRuntimeBundle(dir / name);
    ASSERT_TRUE(bundle) << name;
    EXPECT_TRUE(bundle->executablePath()) << name;
    EXPECT_FALSE(bundle->executableArchitectures()) << name;
  }
}

TEST(RuntimeBundleRealJdk, ReadsTheMachinesRuntime) {
  const std::string home = "/usr/lib/jvm/java-17-openjdk-amd64";
  if (!std::filesystem::exists(home + "/release")) GTEST_SKIP() << "no " << home;
  std::shared_ptr<Bundle> bundle = openRuntimeBundle(home);
  ASSERT_TRUE(bundle && bundle->infoValue("JavaVM"));
  EXPECT_EQ(bundle->infoValue("JavaVM")->get("JVMVersion")->str().substr(0, 3), "17.");
  EXPECT_EQ(bundle->executableArchitectures(), Types{launcherCpuType()});
}

}  // namespace
}  // namespace kvx::java_runtime
