#include "run/kept_until_exit.h"

#include <cstring>
#include <vector>

namespace kvx {
namespace {

// The one registry of the process. Deliberately never destroyed: a static
// destructor could run while a thread of the virtual machine still reads
// what it holds.
std::vector<const void*>& keptBlocks() {
  static auto* kept = new std::vector<const void*>;
  return *kept;
}

}  // namespace

void keepUntilExit(const void* block) { keptBlocks().push_back(block); }

char* copyKeptUntilExit(const std::string& text) {
  char* copy = strdup(text.c_str());
  keepUntilExit(copy);
  return copy;
}

}  // namespace kvx
