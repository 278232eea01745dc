// The processor types an executable file holds code for, read from its
// header: Mach-O thin and fat as written, ELF mapped to the same numbers.
#include "image/executable_architectures.h"

namespace kvx::image {
namespace {

constexpr uint32_t kMachMagic32 = 0xFEEDFACE;
constexpr uint32_t kMachMagic64 = 0xFEEDFACF;
constexpr uint32_t kFatMagic32 = 0xCAFEBABE;
constexpr uint32_t kFatMagic64 = 0xCAFEBABF;
constexpr size_t kMachHeaderSize32 = 28;
constexpr size_t kMachHeaderSize64 = 32;
constexpr size_t kFatArchSize32 = 20;
constexpr size_t kFatArchSize64 = 32;
// Java class files share the fat magic; their version numbers read as an
// architecture count far above what any fat file holds.
constexpr uint32_t kMaxFatArchs = 32;

constexpr uint16_t kElfMachine386 = 3;
constexpr uint16_t kElfMachineArm = 40;
constexpr uint16_t kElfMachineX86_64 = 62;
constexpr uint16_t kElfMachineAarch64 = 183;

uint32_t readU32(std::string_view bytes, size_t offset, bool bigEndian) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    uint32_t b = static_cast<unsigned char>(bytes[offset + i]);
    value |= bigEndian ? b << (8 * (3 - i)) : b << (8 * i);
  }
  return value;
}

uint16_t readU16(std::string_view bytes, size_t offset, bool bigEndian) {
  uint16_t a = static_cast<unsigned char>(bytes[offset]);
  uint16_t b = static_cast<unsigned char>(bytes[offset + 1]);
  return bigEndian ? static_cast<uint16_t>(a << 8 | b) : static_cast<uint16_t>(b << 8 | a);
}

std::vector<int32_t> fatArchitectures(std::string_view bytes, size_t entrySize) {
  uint32_t count = readU32(bytes, 4, true);
  if (count == 0 || count > kMaxFatArchs || bytes.size() < 8 + count * entrySize) return {};
  std::vector<int32_t> types;
  for (uint32_t i = 0; i < count; ++i)
    types.push_back(static_cast<int32_t>(readU32(bytes, 8 + i * entrySize, true)));
  return types;
}

std::vector<int32_t> elfArchitectures(std::string_view bytes) {
  constexpr size_t kMachineOffset = 18;
  unsigned char elfClass = static_cast<unsigned char>(bytes[4]);
  unsigned char elfData = static_cast<unsigned char>(bytes[5]);
  if ((elfClass != 1 && elfClass != 2) || (elfData != 1 && elfData != 2)) return {};
  if (bytes.size() < kMachineOffset + 2) return {};
  switch (readU16(bytes, kMachineOffset, elfData == 2)) {
    case kElfMachineX86_64: return {kCpuTypeX86_64};
    case kElfMachineAarch64: return {kCpuTypeArm64};
    case kElfMachine386: return {kCpuTypeI386};
    case kElfMachineArm: return {kCpuTypeArm};
    default: return {};
  }
}

}  // namespace

std::vector<int32_t> executableFileArchitectures(std::string_view bytes) {
  if (bytes.size() < 8) return {};
  if (bytes.substr(0, 4) == "\x7F" "ELF") return elfArchitectures(bytes);
  uint32_t big = readU32(bytes, 0, true);
  if (big == kFatMagic32) return fatArchitectures(bytes, kFatArchSize32);
  if (big == kFatMagic64) return fatArchitectures(bytes, kFatArchSize64);
  for (bool bigEndian : {false, true}) {
    uint32_t magic = readU32(bytes, 0, bigEndian);
    size_t headerSize = magic == kMachMagic32 ? kMachHeaderSize32
                        : magic == kMachMagic64 ? kMachHeaderSize64 : 0;
    if (headerSize == 0) continue;
    if (bytes.size() < headerSize) return {};
    return {static_cast<int32_t>(readU32(bytes, 4, bigEndian))};
  }
  return {};
}

int32_t launcherCpuType() {
#if defined(__aarch64__)
  return kCpuTypeArm64;
#elif defined(__x86_64__)
  return kCpuTypeX86_64;
#elif defined(__i386__)
  return kCpuTypeI386;
#elif defined(__arm__)
  return kCpuTypeArm;
#else
#error "no processor type is known for this architecture"
#endif
}

}  // namespace kvx::image
