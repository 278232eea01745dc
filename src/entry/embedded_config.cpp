// The embedded configuration of the running executable, read by the walker
// that fits the image's format.
#include <cstring>

#include "image/bytes.h"
#include "image/elf_walker.h"
#include "image/macho_walker.h"
#include "entry/entry_points.h"
#include "platform/running_image.h"

namespace kvx {

int findEmbeddedConfig(const void** data) {
  *data = nullptr;
  const platform::RunningImage image = platform::mainImage();
  if (image.header == nullptr) return 0;
  static const unsigned char kElfMagic[4] = {0x7f, 'E', 'L', 'F'};
  if (memcmp(image.header, kElfMagic, 4) == 0) {
    image::ElfImageView view;
    view.programHeaders = image.programHeaders;
    view.programHeaderCount = image.programHeaderCount;
    view.loadBias = image.slide;
    return image::findElfConfigNote(view, data);
  }
  if (image::load32(image.header) == image::kMachMagic64) {
    // The loader maps the header with all its load commands.
    image::MachImageView view;
    view.header = image.header;
    view.readableSize = image::kMachHeaderSize + image::load32(image.header + 20);
    view.slide = image.slide;
    return image::findMachConfigNote(view, data);
  }
  return 0;
}

}  // namespace kvx
