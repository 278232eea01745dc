#include "elf_config_region.h"

#include <cstring>

#include "elf_file_extent.h"
#include "image/config_note.h"
#include "image/elf_walker.h"

namespace kvx::embed {
namespace {

using namespace kvx::image;

const unsigned char* bytesOf(std::string_view file) {
  return reinterpret_cast<const unsigned char*>(file.data());
}

// Notes that make up the region: ours by type, owned by the placeholder name
// or by NOTE_OWNER.
bool isRegionNote(const unsigned char* segment, const ElfNote& note) {
  if (note.type != kConfigNoteType || !hasOwnerField(note)) return false;
  const unsigned char* owner = segment + note.nameOffset;
  return memcmp(owner, kPlaceholderOwner, 16) == 0 || memcmp(owner, NOTE_OWNER, 16) == 0;
}

std::optional<ConfigRegion> regionInSegment(std::string_view file, const ElfSegment& segment) {
  const unsigned char* bytes = bytesOf(file) + segment.offset;
  std::optional<ConfigRegion> region;
  forEachNote(bytes, segment.filesz, segment.align, [&](const ElfNote& note) {
    if (!isRegionNote(bytes, note)) return !region;  // the region ends at the first other note
    if (!region) {
      bool ours = memcmp(bytes + note.nameOffset, NOTE_OWNER, 16) == 0;
      region = ConfigRegion{segment.offset + note.offset, 0, ours};
    }
    region->size = segment.offset + note.end - region->offset;
    return true;
  });
  return region;
}

}  // namespace

std::optional<ConfigRegion> findConfigRegion(std::string_view file, std::string* error) {
  const unsigned char* bytes = bytesOf(file);
  if (file.size() < 64 || memcmp(bytes, "\x7f" "ELF", 4) != 0 || bytes[4] != 2 || bytes[5] != 1) {
    *error = "not a 64-bit little-endian ELF file";
    return std::nullopt;
  }
  if (!elfFileIsWhole(file, error)) return std::nullopt;
  const uint64_t tableOffset = load64(bytes + 32);
  const uint16_t count = static_cast<uint16_t>(bytes[56] | bytes[57] << 8);
  std::optional<ConfigRegion> region;
  for (uint16_t i = 0; i < count && !region; ++i) {
    ElfSegment segment = readProgramHeader(bytes + tableOffset + i * kElfProgramHeaderSize);
    if (segment.type != kElfNoteSegment || !rangeFits(segment.offset, segment.filesz, file.size())) {
      continue;
    }
    region = regionInSegment(file, segment);
  }
  if (!region) {
    *error = "it has no reserved configuration note (not a launcher stub)";
    return std::nullopt;
  }
  for (uint16_t i = 0; i < count; ++i) {
    ElfSegment segment = readProgramHeader(bytes + tableOffset + i * kElfProgramHeaderSize);
    if (segment.type == kElfLoadSegment &&
        rangeInside(region->offset, region->size, segment.offset, segment.filesz)) {
      return region;
    }
  }
  *error = "its reserved configuration note is not inside a loadable segment";
  return std::nullopt;
}

}  // namespace kvx::embed
