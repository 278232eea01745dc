#include "deb_control.h"

#include "package_documents.h"

namespace kvx::bundle {

std::string debControl(const BundleOptions& options, const PackageLayout& layout,
                       const std::vector<std::string>& depends, uint64_t installedKiB) {
  std::string control = "Package: " + layout.name + "\n";
  control += "Version: " + layout.version + "-" + layout.release + "\n";
  control += "Architecture: " + layout.architecture + "\n";
  control += "Maintainer: " + maintainerOf(options) + "\n";
  control += "Installed-Size: " + std::to_string(installedKiB) + "\n";
  std::string all;
  for (const std::string& clause : depends) all += (all.empty() ? "" : ", ") + clause;
  if (!all.empty()) control += "Depends: " + all + "\n";
  control += "Section: " + options.package.appCategory.value_or("misc") + "\n";
  control += "Priority: optional\n";
  if (options.package.aboutUrl) control += "Homepage: " + *options.package.aboutUrl + "\n";
  control += "Description: " + summaryOf(options) + "\n";
  // The long description is required; it says what the package holds.
  control += " " + options.name + " " + layout.version + " with the Java runtime it needs, installed in " +
             layout.installDir + ".\n";
  return control;
}

}  // namespace kvx::bundle
