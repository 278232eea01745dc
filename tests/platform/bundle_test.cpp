#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/bundle.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using test::elfHeader;
using test::fatHeader;
using test::machOHeader;
using Types = std::vector<int32_t>;

TEST(ExecutableFileArchitectures, ReadsMachOAndElfHeaders) {
  struct Case {
    const char* name;
    std::string bytes;
    Types expected;
  };
  std::string javaClass = fatHeader({});
  test::putU32(javaClass, 4, 0x00000041, true);  // minor 0, major 65
  javaClass.resize(64, '\0');
  const Case cases[] = {
      {"Mach-O 64 arm64", machOHeader(kCpuTypeArm64), {kCpuTypeArm64}},
      {"Mach-O 64 x86_64", machOHeader(kCpuTypeX86_64), {kCpuTypeX86_64}},
      {"Mach-O 32 i386", machOHeader(kCpuTypeI386, false), {kCpuTypeI386}},
      {"Mach-O 32 big-endian", machOHeader(18, false, true), {18}},
      {"fat 32", fatHeader({kCpuTypeX86_64, kCpuTypeArm64}), {kCpuTypeX86_64, kCpuTypeArm64}},
      {"fat 64", fatHeader({kCpuTypeArm64, kCpuTypeX86_64}, true), {kCpuTypeArm64, kCpuTypeX86_64}},
      {"ELF x86_64", elfHeader(62), {kCpuTypeX86_64}},
      {"ELF aarch64", elfHeader(183), {kCpuTypeArm64}},
      {"ELF i386", elfHeader(3, false), {kCpuTypeI386}},
      {"ELF arm", elfHeader(40, false), {kCpuTypeArm}},
      {"ELF aarch64 big-endian", elfHeader(183, true, true), {kCpuTypeArm64}},
      {"ELF RISC-V", elfHeader(243), {}},
      {"ELF bad class", [] { std::string b = elfHeader(62); b[4] = 7; return b; }(), {}},
      {"empty", "", {}},
      {"text", "#!/bin/sh\necho hello\n", {}},
      {"Java class file", javaClass, {}},
      {"truncated Mach-O", machOHeader(kCpuTypeArm64).substr(0, 20), {}},
      {"truncated fat table", fatHeader({kCpuTypeArm64, kCpuTypeX86_64}).substr(0, 20), {}},
      {"fat without entries", fatHeader({}), {}},
      {"truncated ELF", elfHeader(62).substr(0, 18), {}},
      {"magic only", "\x7F" "ELF", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(executableFileArchitectures(c.bytes), c.expected) << c.name;
}

TEST(LauncherCpuType, IsTheProcessorTheTestsWereBuiltFor) {
#if defined(__x86_64__)
  EXPECT_EQ(launcherCpuType(), 0x1000007);
#elif defined(__aarch64__)
  EXPECT_EQ(launcherCpuType(), 0x100000C);
#endif
  EXPECT_EQ(executableFileArchitectures(test::nativeExecutable()), Types{launcherCpuType()});
}

class BundleOpen : public ::testing::Test {
 protected:
  test::TempDir dir;
};

TEST_F(BundleOpen, ReadsXmlAndBinaryInfoPlist) {
  for (bool binary : {false, true}) {
    std::string path = dir / (binary ? "binary.jdk" : "xml.jdk");
    test::writePlistWithPython(
        path + "/Contents/Info.plist",
        R"({"CFBundleExecutable": "libjli.so", "JavaVM": {"JVMVersion": "17.0.2+8"}})", binary);
    test::writeFile(path + "/Contents/MacOS/libjli.so", fatHeader({kCpuTypeX86_64, kCpuTypeArm64}));

    std::shared_ptr<Bundle> bundle = Bundle::open(path);
    ASSERT_TRUE(bundle) << path;
    EXPECT_EQ(bundle->path(), path);
    const plist::Value* javaVM = bundle->infoValue("JavaVM");
    ASSERT_TRUE(javaVM && javaVM->get("JVMVersion")) << path;
    EXPECT_EQ(javaVM->get("JVMVersion")->str(), "17.0.2+8");
    EXPECT_EQ(bundle->executablePath(), path + "/Contents/MacOS/libjli.so");
    EXPECT_EQ(bundle->executableArchitectures(), (Types{kCpuTypeX86_64, kCpuTypeArm64}));
  }
}

TEST_F(BundleOpen, PresentsAPlainJdkHomeAsABundle) {
  test::makePlainHome(dir / "jdk", "25.0.3", elfHeader(183));
  std::shared_ptr<Bundle> bundle = Bundle::open(dir / "jdk");
  ASSERT_TRUE(bundle);
  const plist::Value* javaVM = bundle->infoValue("JavaVM");
  ASSERT_TRUE(javaVM && javaVM->get("JVMVersion"));
  // The quotes of the release file are not part of the version.
  EXPECT_EQ(javaVM->get("JVMVersion")->str(), "25.0.3");
  EXPECT_EQ(bundle->executablePath(), dir / "jdk/lib/libjli.so");
  EXPECT_EQ(bundle->executableArchitectures(), Types{kCpuTypeArm64});
}

TEST_F(BundleOpen, UnquotedReleaseValueAndOtherKeys) {
  test::writeFile(dir / "jdk/release", "JAVA_VERSION_DATE=\"2020\"\nJAVA_VERSION = 1.8.0_202\r\n");
  std::shared_ptr<Bundle> bundle = Bundle::open(dir / "jdk");
  ASSERT_TRUE(bundle && bundle->infoValue("JavaVM"));
  EXPECT_EQ(bundle->infoValue("JavaVM")->get("JVMVersion")->str(), "1.8.0_202");
}

TEST_F(BundleOpen, DirectoriesWithoutRuntimeInformation) {
  // A directory without Contents or release opens with nothing in it, as
  // any directory opens as a bundle; a file or a missing path does not open.
  std::filesystem::create_directories(dir / "empty");
  test::writeFile(dir / "release-without-version/release", "IMPLEMENTOR=\"x\"\n");
  test::writeFile(dir / "broken.jdk/Contents/Info.plist", "<plist><dict><key>");
  test::writeFile(dir / "noexec.jdk/Contents/Info.plist", test::xmlPlist(""));
  for (const char* name : {"empty", "release-without-version", "broken.jdk", "noexec.jdk"}) {
    std::shared_ptr<Bundle> bundle = Bundle::open(dir / name);
    ASSERT_TRUE(bundle) << name;
    EXPECT_TRUE(bundle->infoDictionary().isDictionary()) << name;
    EXPECT_TRUE(bundle->infoDictionary().entries().empty()) << name;
    EXPECT_FALSE(bundle->executablePath()) << name;
    EXPECT_FALSE(bundle->executableArchitectures()) << name;
  }
  test::writeFile(dir / "file.jdk", "x");
  EXPECT_FALSE(Bundle::open(dir / "file.jdk"));
  EXPECT_FALSE(Bundle::open(dir / "missing.jdk"));
}

TEST_F(BundleOpen, ExecutableMissingOrForeignGivesNoTypes) {
  std::string version = "17";
  test::writeFile(dir / "missing.jdk/Contents/Info.plist", test::xmlPlist(test::runtimeInfoBody(&version)));
  test::makeRuntimeBundle(dir / "script.jdk", test::xmlPlist(test::runtimeInfoBody(&version)), "#!/bin/sh\n");
  for (const char* name : {"missing.jdk", "script.jdk"}) {
    std::shared_ptr<Bundle> bundle = Bundle::open(dir / name);
    ASSERT_TRUE(bundle) << name;
    EXPECT_TRUE(bundle->executablePath()) << name;
    EXPECT_FALSE(bundle->executableArchitectures()) << name;
  }
}

TEST(BundleOpenRealJdk, ReadsTheMachinesRuntime) {
  const std::string home = "/usr/lib/jvm/java-17-openjdk-amd64";
  if (!std::filesystem::exists(home + "/release")) GTEST_SKIP() << "no " << home;
  std::shared_ptr<Bundle> bundle = Bundle::open(home);
  ASSERT_TRUE(bundle && bundle->infoValue("JavaVM"));
  EXPECT_EQ(bundle->infoValue("JavaVM")->get("JVMVersion")->str().substr(0, 3), "17.");
  EXPECT_EQ(bundle->executableArchitectures(), Types{launcherCpuType()});
}

}  // namespace
}  // namespace kvx::platform
