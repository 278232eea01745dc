#include "package_desktop.h"

#include "bundle_layout.h"
#include "desktop_entry.h"

namespace kvx::bundle {

std::string packagedDesktopEntry(const BundleOptions& options, const PackageLayout& layout,
                                 const std::string& mainClass) {
  DesktopEntryParts parts{options.name, layoutFor(options.type, options.name).executable, options.description,
                          std::nullopt, mainClass, options.type == BundleType::Cli};
  std::string entry = desktopEntry(parts);
  // The install directory holds no character that Exec would need quoted
  // (the options refuse any other), so it goes in as it is.
  const std::string placeholder = kAppPathPlaceholder;
  for (size_t at = entry.find(placeholder); at != std::string::npos; at = entry.find(placeholder, at)) {
    entry.replace(at, placeholder.size(), layout.tree);
  }
  if (!layout.icon.empty()) entry += "Icon=" + layout.iconName + "\n";
  std::string categories = options.package.menuGroup.value_or("Utility;");
  if (!categories.ends_with(";")) categories += ";";
  return entry + "Categories=" + categories + "\n";
}

}  // namespace kvx::bundle
