#include "bundle_layout.h"

#include "app_format/app_layout.h"

namespace kvx::bundle {

BundleLayout layoutFor(BundleType type, const std::string& name) {
  if (type == BundleType::App) {
    // The launcher's default application root for a bundle is Contents/Resources/app.
    return BundleLayout{
        name + ".app",
        "Contents/MacOS/" + name,
        app_layout::kBundleAppRoot,
        "${launcher:sys.appRootDir}",
        app_layout::kBundleRuntimeInPlugIns,
        std::string(app_layout::kBundleRuntimeInPlugIns) + "/Contents/Home",
        std::string(app_layout::kBundleAppRoot) + "/" + app_layout::kMessagesBundle,
        "Contents/Resources",
        "Contents/Info.plist",
    };
  }
  // kvx.baseDir ".." makes the top directory the application root.
  return BundleLayout{
      name,
      "bin/" + name,
      "lib",
      "${launcher:sys.appRootDir}/lib",
      app_layout::kRuntimeHome,
      app_layout::kRuntimeHome,
      app_layout::kMessagesBundle,
      "",
      "",
  };
}

}  // namespace kvx::bundle
