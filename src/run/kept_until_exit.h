// Memory the runtime's launch library may read from its own threads for as
// long as it runs: never freed, and kept reachable so that it is not taken
// for a leak either.
#pragma once

#include <string>

namespace kvx {

void keepUntilExit(const void* block);
// A NUL-terminated copy of text that lives until the process ends.
char* copyKeptUntilExit(const std::string& text);

}  // namespace kvx
