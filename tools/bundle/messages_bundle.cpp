#include "messages_bundle.h"

#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/read_limits.h"
#include "plist/strings_file.h"

namespace kvx::bundle {

bool checkMessagesBundle(const std::string& dir, std::string* error) {
  std::string resources = platform::joinPath(dir, "Contents/Resources");
  std::optional<std::vector<std::string>> names = platform::listDirectory(resources);
  int languages = 0;
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    if (!name.ends_with(".lproj")) continue;
    std::string path = platform::joinPath(platform::joinPath(resources, name), "Localizable.strings");
    std::optional<std::string> bytes = platform::readFile(path, platform::read_limit::kPropertyList);
    if (!bytes) continue;
    std::string reason;
    if (!plist::parseStringsFile(*bytes, &reason)) {
      *error = path;
      error->append(": ").append(reason);
      return false;
    }
    ++languages;
  }
  if (languages == 0) {
    *error = "--messages " + dir +
             ": not a messages bundle (no Contents/Resources/<language>.lproj/Localizable.strings)";
    return false;
  }
  return true;
}

}  // namespace kvx::bundle
