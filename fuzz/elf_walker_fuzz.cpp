// The ELF walker over arbitrary program headers and memory: it must never
// read outside the bytes it was given, and what it finds must lie inside them.
//
// Input: one byte for the number of program headers (0 to 7), that many
// 56-byte headers, then the memory of the image (link address 0 is its first byte).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/elf_walker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kvx::image;
  if (size < 1) return 0;
  const size_t count = data[0] % 8;
  const size_t headerBytes = count * kElfProgramHeaderSize;
  if (size < 1 + headerBytes) return 0;
  // Separate allocations, so that a read past either one is caught.
  std::vector<unsigned char> headers(data + 1, data + 1 + headerBytes);
  std::vector<unsigned char> memory(data + 1 + headerBytes, data + size);

  ElfImageView view;
  view.programHeaders = headers.data();
  view.programHeaderCount = count;
  view.loadBias = reinterpret_cast<uintptr_t>(memory.data());
  view.readableBegin = view.loadBias;
  view.readableEnd = view.loadBias + memory.size();

  const void* found = nullptr;
  const int noteSize = findElfConfigNote(view, &found);
  if (found != nullptr) {
    const auto* begin = static_cast<const unsigned char*>(found);
    const uint64_t length = static_cast<uint32_t>(noteSize);
    if (begin < memory.data() || begin + length > memory.data() + memory.size()) abort();
    volatile unsigned char touch = length ? begin[length - 1] : 0;
    (void)touch;
  }
  return 0;
}
