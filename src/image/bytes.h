// Little-endian fields and range checks shared by the image walkers and the
// embedding tool. Everything reads through memcpy so that unaligned fields in
// a damaged image are no fault of ours.
#pragma once

#include <cstdint>
#include <cstring>

namespace kvx::image {

inline uint16_t load16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t load32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t load64(const unsigned char* p) {
  return static_cast<uint64_t>(load32(p)) | static_cast<uint64_t>(load32(p + 4)) << 32;
}

inline void store32(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

// [offset, offset + length) lies inside [0, limit), without overflowing.
inline bool rangeFits(uint64_t offset, uint64_t length, uint64_t limit) {
  return offset <= limit && length <= limit - offset;
}

// [offset, offset + length) lies inside [start, start + size).
inline bool rangeInside(uint64_t offset, uint64_t length, uint64_t start, uint64_t size) {
  return offset >= start && rangeFits(offset - start, length, size);
}

inline uint64_t alignUp(uint64_t value, uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

}  // namespace kvx::image
