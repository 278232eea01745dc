#include "app_content.h"

#include "bundle_layout.h"
#include "desktop_entry.h"
#include "platform/paths.h"

namespace kvx::bundle {

std::string appContentPlace(BundleType type, const std::string& path) {
  std::string name = platform::lastPathComponent(platform::standardizePath(path));
  BundleLayout layout = layoutFor(type, "");
  return type == BundleType::App ? platform::joinPath(layout.resources, name) : name;
}

std::vector<std::string> namesTakenBeside(const BundleOptions& options) {
  if (options.type == BundleType::Cli) return {"bin", "lib", ".kestrovel"};
  return {"app", options.name + ".png", desktopEntryFileName(options.name, options.identifier)};
}

}  // namespace kvx::bundle
