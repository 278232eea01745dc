#include "image/macho_walker.h"

#include "image/bytes.h"
#include "image/config_note.h"

namespace kvx::image {
namespace {

constexpr uint32_t kNoteCommandSize = 40;
constexpr uint32_t kSegmentFieldsEnd = 56;  // vmaddr, fileoff and filesize lie before it

// Calls visit(command, cmd, cmdsize) for each load command until it returns
// false. The walk trusts nothing: a command under 8 bytes or one that runs
// past the load commands (or the readable bytes) ends it.
template <class Visit>
void forEachLoadCommand(const MachImageView& image, Visit visit) {
  if (image.header == nullptr || image.readableSize < kMachHeaderSize) return;
  if (load32(image.header) != kMachMagic64) return;
  const uint32_t count = load32(image.header + 16);
  uint64_t end = kMachHeaderSize + static_cast<uint64_t>(load32(image.header + 20));
  if (end > image.readableSize) end = image.readableSize;
  uint64_t position = kMachHeaderSize;
  for (uint32_t i = 0; i < count; ++i) {
    if (!rangeFits(position, 8, end)) return;
    const unsigned char* command = image.header + position;
    const uint32_t size = load32(command + 4);
    if (size < 8 || !rangeFits(position, size, end)) return;
    if (!visit(command, load32(command), size)) return;
    position += size;
  }
}

}  // namespace

const void* fileOffsetToPointer(const MachImageView& image, uint64_t offset, uint64_t length) {
  const void* result = nullptr;
  forEachLoadCommand(image, [&](const unsigned char* command, uint32_t type, uint32_t size) {
    if (type != kMachSegment64) return true;
    if (size < kSegmentFieldsEnd) return false;
    const uint64_t vmaddr = load64(command + 24);
    const uint64_t fileoff = load64(command + 40);
    const uint64_t filesize = load64(command + 48);
    if (!rangeInside(offset, length, fileoff, filesize)) return true;
    result = reinterpret_cast<const void*>(
        static_cast<uintptr_t>(vmaddr + (offset - fileoff)) + image.slide);
    return false;
  });
  return result;
}

int findMachConfigNote(const MachImageView& image, const void** data) {
  *data = nullptr;
  int size = 0;
  forEachLoadCommand(image, [&](const unsigned char* command, uint32_t type, uint32_t commandSize) {
    if (type != kMachNote) return true;
    if (commandSize < kNoteCommandSize) return false;
    if (memcmp(command + 8, NOTE_OWNER, 16) != 0) return true;
    const uint64_t offset = load64(command + 24);
    const uint64_t length = load64(command + 32);
    if (offset + length < offset) return false;  // a range that wraps is no range
    *data = fileOffsetToPointer(image, offset, length);
    size = static_cast<int>(static_cast<uint32_t>(length));
    return false;
  });
  return size;
}

}  // namespace kvx::image
