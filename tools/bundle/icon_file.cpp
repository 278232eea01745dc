#include "icon_file.h"

#include <optional>

#include "platform/files.h"
#include "platform/read_limits.h"

namespace kvx::bundle {

bool checkPngIcon(const std::string& path, std::string* error) {
  std::optional<std::string> bytes = platform::readFile(path, platform::read_limit::kImage);
  if (!bytes) {
    *error = "--icon " + path + ": cannot be read";
    return false;
  }
  if (!bytes->starts_with("\x89PNG\r\n\x1a\n")) {
    *error = "--icon " + path + ": not a PNG image";
    return false;
  }
  return true;
}

}  // namespace kvx::bundle
