// The program's entry, and the space reserved in the executable for an
// embedded configuration.
#include <cstdint>

#include "entry/entry_points.h"
#include "image/config_note.h"

extern "C" {

// Reserved here, beside main, because a note in an archive member that nothing
// references would not be linked. kvx-embed fills it in a copy of the stub. It
// must be read through the program headers, never through this name: the
// compiler treats its zeros as constants.
// An address-sanitized build would pad the note with a poisoned red zone
// inside the note segment, where the walker then reads a header that is no
// note; without the padding the segment holds exactly what the plain build's
// does.
#if defined(__clang__)
#define KVX_NO_RED_ZONE __attribute__((no_sanitize("address")))
#else
#define KVX_NO_RED_ZONE
#endif

__attribute__((used, aligned(4), section(".note.kvxconfig"))) KVX_NO_RED_ZONE
const kvx::ElfConfigNote kvx_config_note = {
    kvx::kPlaceholderOwnerSize, kvx::kConfigNoteDataSize, kvx::kConfigNoteType,
    {'k', 'v', 'x', '.', 's', 'l', 'o', 't', '.', 'f', 'r', 'e', 'e', 0, 0, 0},
    {}};

__attribute__((visibility("default"))) int main(int argc, char** argv) {
  return launcher_main(argc, argv);
}
}
