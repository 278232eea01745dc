#include "image/config_note.h"

extern "C" {
static const char kNoteOwner[16] = {'c', 'o', 'm', '.', 'k', 'e', 's', 't',
                                    'r', 'o', 'v', 'e', 'l', 0,   0,   0};
// Its visibility is set where it is declared: GCC ignores it on a definition
// that follows a declaration without it.
const char* const NOTE_OWNER = kNoteOwner;
}
