#include "startup_cache/runtime_identity.h"

#include <gtest/gtest.h>

#include <string>

#include "java_runtime/runtime_bundle.h"
#include "platform/bundle.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

// The release file decides over the bundle's JVMVersion and the choice's
// version; a version that names no major version gives -1, which no cache
// range takes.
TEST(RuntimeIdentity, TheReleaseFileGivesTheVersionAndItsMajor) {
  test::TempDir dir;
  const struct {
    const char* release;
    int major;
  } cases[] = {{"21.0.2+13", 21}, {"1.8.0_292", 8}, {"25-ea", 25}, {"ea", -1}};
  for (const auto& c : cases) {
    const std::string home = dir / c.release;
    test::makePlainHome(home, c.release);
    RuntimeChoice runtime;
    runtime.javaBundlePath = home;
    runtime.javaBundle = java_runtime::openRuntimeBundle(home);
    runtime.javaVersion = "11";
    std::string why;
    std::optional<RuntimeIdentity> identity = identifyRuntime(runtime, &why);
    ASSERT_TRUE(identity) << why;
    EXPECT_EQ(identity->version, c.release);
    EXPECT_EQ(identity->majorVersion, c.major) << c.release;
  }
}

TEST(RuntimeIdentity, ABundleWithoutReleaseFileNamesItsJVMVersion) {
  test::TempDir dir;
  test::makeVersionedBundle(dir / "jdk-17.jdk", "17.0.10+7");
  RuntimeChoice runtime;
  runtime.javaBundlePath = dir / "jdk-17.jdk";
  runtime.javaBundle = java_runtime::openRuntimeBundle(*runtime.javaBundlePath);
  std::string why;
  std::optional<RuntimeIdentity> identity = identifyRuntime(runtime, &why);
  ASSERT_TRUE(identity) << why;
  EXPECT_EQ(identity->version, "17.0.10+7");
  EXPECT_EQ(identity->majorVersion, 17);

  RuntimeChoice nothing;
  EXPECT_FALSE(identifyRuntime(nothing, &why));
  EXPECT_EQ(why, "no runtime was chosen");
}

}  // namespace
}  // namespace kvx
