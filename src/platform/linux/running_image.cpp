#include "platform/running_image.h"

#include <elf.h>
#include <link.h>

namespace kvx::platform {
namespace {

// The first object the loader reports is the executable itself.
int takeFirstObject(struct dl_phdr_info* info, size_t, void* out) {
  auto* image = static_cast<RunningImage*>(out);
  image->slide = info->dlpi_addr;
  image->programHeaders = reinterpret_cast<const unsigned char*>(info->dlpi_phdr);
  image->programHeaderCount = info->dlpi_phnum;
  // The ELF header is mapped with the loadable segment that starts the file.
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type == PT_LOAD && segment.p_offset == 0) {
      image->header = reinterpret_cast<const unsigned char*>(info->dlpi_addr + segment.p_vaddr);
      break;
    }
  }
  return 1;
}

}  // namespace

RunningImage mainImage() {
  RunningImage image;
  dl_iterate_phdr(takeFirstObject, &image);
  return image;
}

}  // namespace kvx::platform
