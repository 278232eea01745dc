#include "base/java_version.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string_view>

namespace kvx {
namespace {

// Every way runtimes write their versions, read by the one reader the
// runtime check, the startup cache and kvx-bundle share.
TEST(JavaMajorVersion, ReadsEveryWayRuntimesWriteTheirVersion) {
  const std::optional<int> none;
  const struct {
    std::string_view version;
    std::optional<int> major;
  } cases[] = {
      {"1.8.0_292", 8},   {"1.8.0_392", 8},  {"1.7.0", 7},        {"1.8.202.08", 8},  // before 9: the second number
      {"17", 17},         {"17.0.15", 17},   {"25.0.3", 25},      {"9", 9},
      {"25-ea", 25},      {"21+35", 21},     {"21.0.2+13", 21},   {"17.0.10+7", 17},
      {"100.1", 100},     {"1", 1},          {"10.0.1", 10},      {"11.0.2.1", 11},
      {"1-ea", 1},        {"1_8", 1},        // only "1." is the old scheme
      {"", none},         {"ea", none},      {"x17", none},       {" 17", none},
      {"1.", none},       {"1.x", none},     {"-17", none},
      {"99999999999", INT_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(javaMajorVersion(c.version), c.major) << c.version;
}

}  // namespace
}  // namespace kvx
