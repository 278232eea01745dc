#include "bundle/java_version.h"

#include <gtest/gtest.h>

namespace kvx::bundle {
namespace {

TEST(JavaVersion, ReleasesCompareByNumberAndClassFilesNameTheirRelease) {
  EXPECT_TRUE(isNewerVersion("17.0.10", "17.0.9"));
  EXPECT_TRUE(isNewerVersion("25.0.3", "17.0.15"));
  EXPECT_TRUE(isNewerVersion("17.0.1", "17"));
  EXPECT_FALSE(isNewerVersion("17", "17.0.1"));
  EXPECT_FALSE(isNewerVersion("21-ea", "21"));
  EXPECT_EQ(featureRelease("1.8.0_202"), 8);
  EXPECT_EQ(featureRelease("17.0.15"), 17);
  EXPECT_EQ(featureRelease("21-ea"), 21);
  // Runtimes up to 8 call themselves 1.N, and the launcher compares part by part.
  EXPECT_EQ(javaVersionForClassFile(52), "1.8");
  EXPECT_EQ(javaVersionForClassFile(55), "11");
  EXPECT_EQ(javaVersionForClassFile(69), "25");
}

}  // namespace
}  // namespace kvx::bundle
