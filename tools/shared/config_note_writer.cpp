#include "config_note_writer.h"

#include <cstring>

#include "image/config_note.h"
#include "image/bytes.h"

namespace kvx::embed {
namespace {

using kvx::image::alignUp;
using kvx::image::store32;

constexpr uint64_t kNoteHead = 12 + 16;  // the header and the 16-byte owner field

void putNoteHead(unsigned char* at, uint32_t nameSize, uint32_t descSize, const char* owner) {
  store32(at, nameSize);
  store32(at + 4, descSize);
  store32(at + 8, kConfigNoteType);
  memcpy(at + 12, owner, 16);
}

}  // namespace

uint64_t configCapacity(uint64_t regionSize) {
  // Our note's head and N, then room for the filler's head.
  const uint64_t overhead = kNoteHead + 4 + kNoteHead;
  return regionSize < overhead ? 0 : (regionSize - overhead) / 4 * 4;
}

std::optional<std::string> fillConfigRegion(uint64_t regionSize, std::string_view list) {
  if (list.size() > configCapacity(regionSize) || regionSize < kNoteHead * 2 + 4) return std::nullopt;
  std::string region(regionSize, '\0');
  auto* bytes = reinterpret_cast<unsigned char*>(region.data());
  const uint32_t dataSize = static_cast<uint32_t>(4 + list.size());
  putNoteHead(bytes, kOwnerSize, dataSize, NOTE_OWNER);
  store32(bytes + kNoteHead, static_cast<uint32_t>(list.size()));
  memcpy(bytes + kNoteHead + 4, list.data(), list.size());
  const uint64_t filler = kNoteHead + alignUp(dataSize, 4);
  putNoteHead(bytes + filler, kPlaceholderOwnerSize,
              static_cast<uint32_t>(regionSize - filler - kNoteHead), kPlaceholderOwner);
  return region;
}

std::optional<std::string> storedListOfRegion(std::string_view region, std::string* error) {
  if (region.size() < kNoteHead + 4) {
    *error = "the configuration note is cut short";
    return std::nullopt;
  }
  uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = (length << 8) | static_cast<unsigned char>(region[kNoteHead + i]);
  if (length > region.size() - kNoteHead - 4) {
    *error = "the configuration's length runs past its note";
    return std::nullopt;
  }
  return std::string(region.substr(kNoteHead + 4, length));
}

}  // namespace kvx::embed
