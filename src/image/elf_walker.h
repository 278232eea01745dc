// The configuration note of an ELF image: the program headers, the notes of
// a note segment, and the walk over the running image's memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/bytes.h"

namespace kvx::image {

inline constexpr uint32_t kElfLoadSegment = 1;  // PT_LOAD
inline constexpr uint32_t kElfNoteSegment = 4;  // PT_NOTE
inline constexpr size_t kElfProgramHeaderSize = 56;

struct ElfSegment {
  uint32_t type = 0;
  uint64_t offset = 0;
  uint64_t vaddr = 0;
  uint64_t filesz = 0;
  uint64_t align = 0;
};

// One 64-bit program header, from its 56 bytes.
ElfSegment readProgramHeader(const unsigned char* entry);

// One note inside a note segment; offsets are from the segment's start.
struct ElfNote {
  uint64_t offset = 0;  // of its 12-byte header
  uint32_t namesz = 0;
  uint32_t descsz = 0;
  uint32_t type = 0;
  uint64_t nameOffset = 0;
  uint64_t nameField = 0;  // from the name to the data: namesz and its padding
  uint64_t descOffset = 0;
  uint64_t end = 0;        // where the next note begins
};

// Calls visit(note) for each note of the segment bytes [0, length) until it
// returns false. A note whose name or data would pass the end stops the walk.
template <class Visit>
void forEachNote(const unsigned char* bytes, uint64_t length, uint64_t segmentAlign, Visit visit) {
  const uint64_t align = segmentAlign == 8 ? 8 : 4;
  uint64_t position = 0;
  while (rangeFits(position, 12, length)) {
    ElfNote note;
    note.offset = position;
    note.namesz = load32(bytes + position);
    note.descsz = load32(bytes + position + 4);
    note.type = load32(bytes + position + 8);
    note.nameOffset = position + 12;
    // Padding aligns the next field's offset, not the name's length: in an
    // 8-byte aligned segment a 4-byte name is followed at once by the data.
    if (!rangeFits(note.nameOffset, note.namesz, length)) return;
    note.descOffset = alignUp(note.nameOffset + note.namesz, align);
    if (note.descOffset > length) return;
    note.nameField = note.descOffset - note.nameOffset;
    if (!rangeFits(note.descOffset, note.descsz, length)) return;
    const uint64_t descEnd = note.descOffset + note.descsz;
    note.end = rangeFits(descEnd, alignUp(descEnd, align) - descEnd, length) ? alignUp(descEnd, align)
                                                                               : length;
    if (!visit(note)) return;
    position = note.end;
  }
}

// A name of 13 to 16 bytes: its padded field holds the 16 owner bytes.
inline bool hasOwnerField(const ElfNote& note) {
  return note.namesz >= 13 && note.namesz <= 16 && note.nameField >= 16;
}

// True for a note carrying the configuration: our note type and the 16-byte
// owner field equal to NOTE_OWNER.
bool isConfigNote(const unsigned char* segment, const ElfNote& note);

// The running ELF image as the walker sees it. Reads are limited to
// [readableBegin, readableEnd), so the walk can be run over any bytes.
struct ElfImageView {
  const unsigned char* programHeaders = nullptr;
  size_t programHeaderCount = 0;
  uintptr_t loadBias = 0;
  uintptr_t readableBegin = 0;
  uintptr_t readableEnd = UINTPTR_MAX;
};

// The address of a file range through the loadable segment whose file bytes
// hold all of it; null when none does.
const unsigned char* elfFileOffsetToPointer(const ElfImageView& image, uint64_t offset,
                                            uint64_t length);

// Sets *data to the first configuration note's data and returns its size
// (low 32 bits); 0 and null when there is none.
int findElfConfigNote(const ElfImageView& image, const void** data);

}  // namespace kvx::image
