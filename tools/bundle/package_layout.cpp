#include "package_layout.h"

#include "bundle_layout.h"
#include "desktop_entry.h"
#include "image/executable_architectures.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace kvx::bundle {
std::optional<std::string> packageArchitecture(PackageFormat format, const std::string& stub, std::string* error) {
  std::optional<std::string> head = platform::readFileHead(stub, 4096);
  std::vector<int32_t> types = head ? image::executableFileArchitectures(*head) : std::vector<int32_t>{};
  bool deb = format == PackageFormat::Deb;
  if (types.size() == 1 && types[0] == image::kCpuTypeX86_64) return deb ? "amd64" : "x86_64";
  if (types.size() == 1 && types[0] == image::kCpuTypeArm64) return deb ? "arm64" : "aarch64";
  *error = "the launcher " + stub + " is built for a processor a package cannot name (x86_64 and aarch64 can be)";
  return std::nullopt;
}

PackageLayout packageLayoutFor(const BundleOptions& options, const std::string& architecture, int iconSize) {
  PackageLayout p;
  p.name = packageNameOf(options);
  p.version = packageVersionOf(options);
  p.release = packageReleaseOf(options);
  p.architecture = architecture;
  p.installDir = installDirOf(options);
  // A bundle keeps its NAME.app folder: the launcher finds the application
  // root from that name.
  BundleLayout tree = layoutFor(options.type, options.name);
  p.tree = options.type == BundleType::App ? platform::joinPath(p.installDir, tree.top) : p.installDir;
  p.executable = platform::joinPath(p.tree, tree.executable);
  if (options.type == BundleType::App || options.package.shortcut) {
    p.desktopEntry = "usr/share/applications/" + desktopEntryFileName(p.name, options.identifier);
  }
  if (options.type == BundleType::Cli) p.command = "usr/bin/" + options.name;
  if (iconSize > 0) {
    std::string size = std::to_string(iconSize);
    p.icon = "usr/share/icons/hicolor/" + size + "x" + size + "/apps/" + p.name + ".png";
  }
  p.iconName = p.name;
  p.docDir = "usr/share/doc/" + p.name;
  // Where both formats' systemd looks for a package's units, with /usr merged or not.
  if (options.launcherAsService) p.serviceUnit = "usr/lib/systemd/system/" + p.name + ".service";
  std::string full = p.version + "-" + p.release;
  p.fileName = options.package.format == PackageFormat::Deb ? p.name + "_" + full + "_" + architecture + ".deb"
                                                           : p.name + "-" + full + "." + architecture + ".rpm";
  if (options.package.format == PackageFormat::Rpm) p.lintFilters = p.name + "-" + full + "." + architecture + ".rpmlintrc";
  return p;
}

}  // namespace kvx::bundle
