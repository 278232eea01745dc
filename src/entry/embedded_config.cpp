// The embedded configuration of the running executable, read by the walker
// that fits the image's format.
#include <cstring>

#include "entry/embedded_config_bytes.h"
#include "entry/embedded_config_elf.h"
#include "entry/embedded_config_macho.h"
#include "entry/entry_points.h"
#include "platform/running_image.h"

namespace kvx {

int findEmbeddedConfig(const void** data) {
  *data = nullptr;
  const platform::RunningImage image = platform::mainImage();
  if (image.header == nullptr) return 0;
  static const unsigned char kElfMagic[4] = {0x7f, 'E', 'L', 'F'};
  if (memcmp(image.header, kElfMagic, 4) == 0) {
    embedded::ElfImageView view;
    view.programHeaders = image.programHeaders;
    view.programHeaderCount = image.programHeaderCount;
    view.loadBias = image.slide;
    return embedded::findElfConfigNote(view, data);
  }
  if (embedded::load32(image.header) == embedded::kMachMagic64) {
    // The loader maps the header with all its load commands.
    embedded::MachImageView view;
    view.header = image.header;
    view.readableSize = embedded::kMachHeaderSize + embedded::load32(image.header + 20);
    view.slide = image.slide;
    return embedded::findMachConfigNote(view, data);
  }
  return 0;
}

}  // namespace kvx
