#include "elf_file_extent.h"

#include <cstdint>

#include "image/bytes.h"
#include "image/elf_walker.h"

namespace kvx::embed {
namespace {

using namespace kvx::image;

constexpr uint64_t kSectionHeaderSize = 64;
constexpr uint32_t kNoBitsSection = 8;  // SHT_NOBITS: takes no room in the file

bool refuse(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

bool programHeadersFit(const unsigned char* bytes, uint64_t size, std::string* error) {
  const uint64_t table = load64(bytes + 32);
  const uint16_t entrySize = load16(bytes + 54);
  const uint16_t count = load16(bytes + 56);
  if (entrySize != kElfProgramHeaderSize) return refuse(error, "its program header table is damaged");
  if (!rangeFits(table, static_cast<uint64_t>(count) * entrySize, size)) {
    return refuse(error, "it is cut short: its program header table lies past the end of the file");
  }
  for (uint16_t i = 0; i < count; ++i) {
    ElfSegment segment = readProgramHeader(bytes + table + i * kElfProgramHeaderSize);
    if (segment.type == kElfLoadSegment && !rangeFits(segment.offset, segment.filesz, size)) {
      return refuse(error, "it is cut short: loadable segment " + std::to_string(i) +
                               " lies past the end of the file");
    }
  }
  return true;
}

bool sectionsFit(const unsigned char* bytes, uint64_t size, std::string* error) {
  const uint64_t table = load64(bytes + 40);
  const uint16_t entrySize = load16(bytes + 58);
  uint64_t count = load16(bytes + 60);
  if (table == 0) return true;  // no section table: nothing that runs depends on one
  if (entrySize != kSectionHeaderSize) return refuse(error, "its section header table is damaged");
  // A file with very many sections keeps their number in the first entry.
  if (count == 0 && rangeFits(table, kSectionHeaderSize, size)) count = load64(bytes + table + 32);
  if (count > size / kSectionHeaderSize || !rangeFits(table, count * kSectionHeaderSize, size)) {
    return refuse(error, "it is cut short: its section header table lies past the end of the file");
  }
  for (uint64_t i = 0; i < count; ++i) {
    const unsigned char* entry = bytes + table + i * kSectionHeaderSize;
    if (load32(entry + 4) == kNoBitsSection) continue;
    if (!rangeFits(load64(entry + 24), load64(entry + 32), size)) {
      return refuse(error,
                    "it is cut short: section " + std::to_string(i) + " lies past the end of the file");
    }
  }
  return true;
}

}  // namespace

bool elfFileIsWhole(std::string_view file, std::string* error) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  return programHeadersFit(bytes, file.size(), error) && sectionsFit(bytes, file.size(), error);
}

}  // namespace kvx::embed
