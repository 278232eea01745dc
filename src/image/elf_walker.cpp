#include "image/elf_walker.h"

#include "image/config_note.h"

namespace kvx::image {

ElfSegment readProgramHeader(const unsigned char* entry) {
  ElfSegment segment;
  segment.type = load32(entry);
  segment.offset = load64(entry + 8);
  segment.vaddr = load64(entry + 16);
  segment.filesz = load64(entry + 32);
  segment.align = load64(entry + 48);
  return segment;
}

bool isConfigNote(const unsigned char* segment, const ElfNote& note) {
  return note.type == kConfigNoteType && hasOwnerField(note) &&
         memcmp(segment + note.nameOffset, NOTE_OWNER, 16) == 0;
}

const unsigned char* elfFileOffsetToPointer(const ElfImageView& image, uint64_t offset,
                                            uint64_t length) {
  for (size_t i = 0; i < image.programHeaderCount; ++i) {
    ElfSegment segment = readProgramHeader(image.programHeaders + i * kElfProgramHeaderSize);
    if (segment.type != kElfLoadSegment) continue;
    if (!rangeInside(offset, length, segment.offset, segment.filesz)) continue;
    const uintptr_t address =
        image.loadBias + static_cast<uintptr_t>(segment.vaddr + (offset - segment.offset));
    if (!rangeInside(address, length, image.readableBegin, image.readableEnd - image.readableBegin)) {
      return nullptr;
    }
    return reinterpret_cast<const unsigned char*>(address);
  }
  return nullptr;
}

int findElfConfigNote(const ElfImageView& image, const void** data) {
  *data = nullptr;
  for (size_t i = 0; i < image.programHeaderCount; ++i) {
    ElfSegment segment = readProgramHeader(image.programHeaders + i * kElfProgramHeaderSize);
    if (segment.type != kElfNoteSegment) continue;
    const unsigned char* bytes = elfFileOffsetToPointer(image, segment.offset, segment.filesz);
    if (bytes == nullptr) continue;
    const ElfNote* found = nullptr;
    ElfNote match;
    forEachNote(bytes, segment.filesz, segment.align, [&](const ElfNote& note) {
      if (!isConfigNote(bytes, note)) return true;
      match = note;
      found = &match;
      return false;
    });
    if (found != nullptr) {
      *data = bytes + found->descOffset;
      return static_cast<int>(found->descsz);
    }
  }
  return 0;
}

}  // namespace kvx::image
