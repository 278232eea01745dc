// The Mach-O walker over arbitrary header and load-command bytes: it must
// never read outside them, whatever the counts, sizes and offsets say.
//
// Input: 16 bytes of a file range to look up (offset, length, little-endian),
// then the image from its header on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/macho_walker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kvx::image;
  if (size < 16) return 0;
  uint64_t offset, length;
  memcpy(&offset, data, 8);
  memcpy(&length, data + 8, 8);
  std::vector<unsigned char> image(data + 16, data + size);
  // Images are checked at their magic number; let most inputs pass it.
  if (image.size() >= 4 && image[0] == 'M') {
    image[0] = 0xcf, image[1] = 0xfa, image[2] = 0xed, image[3] = 0xfe;
  }

  const MachImageView view{image.data(), image.size(), 0x1000};
  const void* found = nullptr;
  findMachConfigNote(view, &found);
  // The addresses found are the image's own business; only the walk is under test.
  (void)fileOffsetToPointer(view, offset, length);
  return 0;
}
