// The configuration note of a 64-bit Mach-O image: a note load command whose
// owner is NOTE_OWNER, its data found through the segment that holds it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvx::image {

inline constexpr uint32_t kMachMagic64 = 0xfeedfacf;
inline constexpr uint32_t kMachSegment64 = 0x19;  // LC_SEGMENT_64
inline constexpr uint32_t kMachNote = 0x31;       // LC_NOTE
inline constexpr size_t kMachHeaderSize = 32;

// The image as it lies in memory: its header (load commands follow it), how
// many bytes from the header may be read, and the slide the loader applied.
struct MachImageView {
  const unsigned char* header = nullptr;
  size_t readableSize = 0;
  uintptr_t slide = 0;
};

// The address of the file range [offset, offset + length) in the running
// image, through the first segment whose file range holds all of it; null
// when none does.
const void* fileOffsetToPointer(const MachImageView& image, uint64_t offset, uint64_t length);

// Sets *data to the first configuration note's data (null when no segment
// holds it) and returns the note's size (low 32 bits); 0 without a note.
int findMachConfigNote(const MachImageView& image, const void** data);

}  // namespace kvx::image
