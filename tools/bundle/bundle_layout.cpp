#include "bundle_layout.h"

namespace kvx::bundle {

BundleLayout layoutFor(BundleType type, const std::string& name) {
  if (type == BundleType::App) {
    // The launcher's default application root for a bundle is Contents/Resources/app.
    return BundleLayout{
        name + ".app",
        "Contents/MacOS/" + name,
        "Contents/Resources/app",
        "${launcher:sys.appRootDir}",
        "Contents/PlugIns/jre.bundle",
        "Contents/PlugIns/jre.bundle/Contents/Home",
        "Contents/Resources/app/.kestrovel/Messages.bundle",
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
      ".kestrovel/jre",
      ".kestrovel/jre",
      ".kestrovel/Messages.bundle",
      "",
      "",
  };
}

}  // namespace kvx::bundle
