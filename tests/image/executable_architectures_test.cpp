#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/executable_architectures.h"
#include "test_support/runtime_fixtures.h"

namespace kvx::image {
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

}  // namespace
}  // namespace kvx::image
