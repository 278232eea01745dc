// The bytes of a filled configuration region, written and read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvx::embed {

// The largest list a region of this many bytes can carry.
uint64_t configCapacity(uint64_t regionSize);

// The region rewritten whole: the note owned by NOTE_OWNER whose data is the
// list's length N (little-endian) and the list, then one filler note over the
// rest, so that the unused space does not read as a run of empty notes.
// nullopt when the list does not fit.
std::optional<std::string> fillConfigRegion(uint64_t regionSize, std::string_view list);

// The list a filled region carries, as fillConfigRegion wrote it; nullopt
// with *error when its length runs past the region.
std::optional<std::string> storedListOfRegion(std::string_view region, std::string* error);

}  // namespace kvx::embed
