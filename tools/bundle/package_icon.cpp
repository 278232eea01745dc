#include "package_icon.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/files.h"

namespace kvx::bundle {
namespace {

uint32_t bigEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

int themeIconSize(const std::string& path, std::string* error) {
  // The signature, then the IHDR chunk: length, type, width, height.
  std::optional<std::string> head = platform::readFileHead(path, 24);
  if (!head || head->size() < 24 || !head->starts_with("\x89PNG\r\n\x1a\n") || head->substr(12, 4) != "IHDR") {
    *error = "--icon " + path + ": not a PNG image";
    return 0;
  }
  uint32_t width = bigEndian32(*head, 16);
  uint32_t height = bigEndian32(*head, 20);
  bool themed = std::find(std::begin(kThemeSizes), std::end(kThemeSizes), static_cast<int>(width)) !=
                std::end(kThemeSizes);
  if (width != height || !themed) {
    *error = "--icon " + path + ": " + std::to_string(width) + "x" + std::to_string(height) +
             "; a package's icon is a square of 16, 22, 24, 32, 48, 64, 128, 256 or 512 pixels, the sizes of "
             "the desktop's icon theme";
    return 0;
  }
  return static_cast<int>(width);
}

}  // namespace kvx::bundle
