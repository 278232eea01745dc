#include "image/config_note.h"

extern "C" {
static const char kNoteOwner[16] = {'c', 'o', 'm', '.', 'k', 'e', 's', 't',
                                    'r', 'o', 'v', 'e', 'l', 0,   0,   0};
__attribute__((visibility("default"))) const char* const NOTE_OWNER = kNoteOwner;
}
