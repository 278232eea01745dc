// Processor types as the bundle layer reports them, and the ones an
// executable file holds code for.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kvx::image {

inline constexpr int32_t kCpuTypeX86_64 = 0x1000007;
inline constexpr int32_t kCpuTypeArm64 = 0x100000C;
inline constexpr int32_t kCpuTypeI386 = 7;
inline constexpr int32_t kCpuTypeArm = 12;

// The processor type the launcher itself was compiled for.
int32_t launcherCpuType();

// The processor types that an executable file holds code for: Mach-O thin
// and fat as written, ELF e_machine mapped to the same numbers. Empty for a
// file that is none of these.
std::vector<int32_t> executableFileArchitectures(std::string_view bytes);

}  // namespace kvx::image
