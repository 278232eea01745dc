// The version order over any three strings: runtimes are sorted by it, and a
// sort given an order that is not antisymmetric and transitive may reorder
// at random or read out of bounds. Abort on any pair or triple that breaks it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "discovery/version_strings.h"

namespace {

int sign(int64_t value) { return (value > 0) - (value < 0); }

// Up to three strings separated by NUL bytes; missing ones are empty.
std::vector<kvx::OptString> threeVersions(const uint8_t* data, size_t size) {
  std::vector<kvx::OptString> versions(3, std::string());
  size_t which = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      if (++which == versions.size()) break;
      continue;
    }
    versions[which]->push_back(static_cast<char>(data[i]));
  }
  return versions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using kvx::version::compareVersion;
  std::vector<kvx::OptString> v = threeVersions(data, size);
  int order[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) order[i][j] = sign(compareVersion(v[i], v[j]));
  }
  for (int i = 0; i < 3; ++i) {
    if (order[i][i] != 0) abort();
    for (int j = 0; j < 3; ++j) {
      if (order[i][j] != -order[j][i]) abort();
      for (int k = 0; k < 3; ++k) {
        // a <= b and b <= c give a <= c, strictly when either step is strict.
        if (order[i][j] <= 0 && order[j][k] <= 0) {
          int expected = order[i][j] < 0 || order[j][k] < 0 ? -1 : 0;
          if (order[i][k] != expected) abort();
        }
      }
    }
  }
  return 0;
}
