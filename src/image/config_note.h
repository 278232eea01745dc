// The layout of the note that carries an embedded configuration in an ELF
// executable: the note header, a 16-byte owner field, then the data (the
// list's length N, little-endian, then the list).
#pragma once

#include <cstdint>

extern "C" {
// "com.kestrovel" and three zero bytes: the owner of the embedded
// configuration note, exported so that tools can find what a launcher reads.
extern __attribute__((visibility("default"))) const char* const NOTE_OWNER;
}

namespace kvx {

inline constexpr uint32_t kConfigNoteDataSize = 65536;
inline constexpr uint32_t kConfigNoteType = 0x4b5658;  // "XVK"
// "kvx.slot.free" with its NUL: the same 16-byte field as "com.kestrovel", so
// filling the note moves nothing, but a name that never matches.
inline constexpr uint32_t kPlaceholderOwnerSize = 14;
inline constexpr char kPlaceholderOwner[16] = "kvx.slot.free";
inline constexpr uint32_t kOwnerSize = 14;  // "com.kestrovel" and its NUL
inline constexpr const char* kConfigNoteSection = ".note.kvxconfig";

struct ElfConfigNote {
  uint32_t namesz;
  uint32_t descsz;
  uint32_t type;
  char owner[16];
  unsigned char data[kConfigNoteDataSize];
};

static_assert(sizeof(ElfConfigNote) == 12 + 16 + kConfigNoteDataSize);

}  // namespace kvx
