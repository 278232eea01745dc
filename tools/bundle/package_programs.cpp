#include "package_programs.h"

#include "base/text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx::bundle {

std::optional<std::string> findPackagingProgram(const std::string& name, const std::string& debianPackage,
                                                std::string* error) {
  std::string path = platform::getEnv("PATH").value_or("/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin");
  for (std::string_view folder : splitAt(path, ':')) {
    if (folder.empty()) continue;
    std::string candidate = platform::joinPath(folder, name);
    if (platform::isExecutableFile(candidate)) return candidate;
  }
  *error = name + " is not installed (on Debian and Ubuntu it comes with the package " + debianPackage + ")";
  return std::nullopt;
}

}  // namespace kvx::bundle
