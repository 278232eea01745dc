#include "launcher/argument_vector.h"

#include <cstdlib>
#include <cstring>

namespace kvx {

void keepUntilExit(const void* block) {
  // Deliberately never destroyed: a static destructor could run while a
  // thread of the virtual machine still reads what it holds.
  static auto* kept = new std::vector<const void*>;
  kept->push_back(block);
}

char** makeArgumentVector(const std::vector<std::string>& entries) {
  auto** vector = static_cast<char**>(calloc(entries.size() + 1, sizeof(char*)));
  for (size_t i = 0; i < entries.size(); ++i) vector[i] = strdup(entries[i].c_str());
  keepUntilExit(vector);
  return vector;
}

}  // namespace kvx
