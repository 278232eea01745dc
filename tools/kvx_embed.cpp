// kvx-embed: writes a configuration into a copy of the launcher stub, making
// a command-line launcher of it.
#include <cstdio>
#include <cstring>
#include <string>

#include "embed_command.h"

namespace {

const char kUsage[] = "usage: kvx-embed STUB CONFIG OUTPUT\n";

const char kHelp[] =
    "usage: kvx-embed STUB CONFIG OUTPUT\n"
    "\n"
    "Writes the property list CONFIG into a copy of the launcher stub STUB and\n"
    "saves the copy as OUTPUT, a command-line launcher that reads its\n"
    "configuration from itself instead of from an application bundle.\n"
    "\n"
    "  STUB    the launcher executable (64-bit little-endian ELF) with its reserved\n"
    "          configuration note; one that already carries a configuration has it\n"
    "          replaced. STUB itself is never changed.\n"
    "  CONFIG  a property list, XML or binary, whose root is a dictionary. It is\n"
    "          stored in the binary format.\n"
    "  OUTPUT  the new launcher. It is written to a temporary file beside it and\n"
    "          renamed into place, with the permission bits (run bits included) of STUB.\n"
    "\n"
    "Exit status 0 on success. Status 2, with one line naming the file and the\n"
    "reason, when CONFIG does not parse or its root is not a dictionary, when STUB\n"
    "has no reserved note (or is not a 64-bit little-endian ELF file, or its note\n"
    "is outside every loadable segment), when CONFIG is too large for the note, or\n"
    "when OUTPUT cannot be written.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
    (void)fputs(kHelp, stdout);
    return 0;
  }
  if (argc != 4) {
    (void)fputs(kUsage, stderr);
    return 2;
  }
  std::string message;
  if (!kvx::embed::embedConfiguration({argv[1], argv[2], argv[3]}, &message)) {
    (void)fprintf(stderr, "kvx-embed: %s\n", message.c_str());
    return 2;
  }
  return 0;
}
