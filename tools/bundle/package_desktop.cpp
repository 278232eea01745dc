#include "package_desktop.h"

#include "added_launcher_configuration.h"
#include "bundle_layout.h"
#include "desktop_entry.h"
#include "file_association.h"

namespace kvx::bundle {
namespace {

// The entry of parts with the tree's place, the theme's icon name and the
// menu's group.
std::string placedPackageEntry(const DesktopEntryParts& parts, const BundleOptions& options,
                               const PackageLayout& layout, const std::string& iconName) {
  std::string entry = desktopEntry(parts);
  // The install directory holds no character that Exec would need quoted
  // (the options refuse any other), so it goes in as it is.
  const std::string placeholder = kAppPathPlaceholder;
  for (size_t at = entry.find(placeholder); at != std::string::npos; at = entry.find(placeholder, at)) {
    entry.replace(at, placeholder.size(), layout.tree);
  }
  if (!iconName.empty()) entry += "Icon=" + iconName + "\n";
  std::string categories = options.package.menuGroup.value_or("Utility;");
  if (!categories.ends_with(";")) categories += ";";
  return entry + "Categories=" + categories + "\n";
}

}  // namespace

std::string packagedDesktopEntry(const BundleOptions& options, const PackageLayout& layout,
                                 const std::string& mainClass) {
  DesktopEntryParts parts{options.name, layoutFor(options.type, options.name).executable, options.description,
                          std::nullopt, mainClass, options.type == BundleType::Cli};
  parts.mimeTypes = mimeTypesOf(options.fileAssociations);
  return placedPackageEntry(parts, options, layout, layout.icon.empty() ? "" : layout.iconName);
}

std::string packagedLauncherEntry(const BundleOptions& options, const PackageLayout& layout,
                                  const AddedLauncher& launcher, const std::string& mainClass) {
  const PackageLayout::Launcher* place = nullptr;
  for (const PackageLayout::Launcher& candidate : layout.launchers) {
    if (candidate.name == launcher.name) place = &candidate;
  }
  DesktopEntryParts parts{launcher.name, addedLauncherExecutable(layoutFor(options.type, options.name), launcher.name),
                          launcher.description ? launcher.description : options.description, std::nullopt,
                          mainClass, options.type == BundleType::Cli};
  return placedPackageEntry(parts, options, layout, place ? place->iconName : "");
}

}  // namespace kvx::bundle
