#include "discovery/runtime_home.h"

#include "platform/files.h"
#include "platform/paths.h"

namespace kvx {

std::string runtimeHomeOf(const std::string& runtimePath) {
  if (platform::isDirectory(platform::joinPath(runtimePath, "Contents"))) {
    return platform::joinPath(runtimePath, "Contents/Home");
  }
  return runtimePath;
}

}  // namespace kvx
