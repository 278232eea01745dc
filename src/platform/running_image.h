// The main executable as the loader mapped it: where its first bytes lie and
// by how much it was moved from the addresses written in its file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvx::platform {

struct RunningImage {
  // The image's header in memory (its magic number first); null when unknown.
  const unsigned char* header = nullptr;
  // Load bias: the amount added to every address written in the file.
  uintptr_t slide = 0;
  // The program header table, for formats that have one; null otherwise.
  const unsigned char* programHeaders = nullptr;
  size_t programHeaderCount = 0;
};

// The process's main executable (image index 0).
RunningImage mainImage();

}  // namespace kvx::platform
