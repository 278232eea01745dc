#include "documents_and_launchers.h"

#include <set>

namespace kvx::bundle {
namespace {

bool readAssociations(BundleOptions& options, std::string* error) {
  if (options.fileAssociationFiles.empty()) return true;
  if (!hasDesktopEntry(options)) {
    *error = "--file-associations goes only with --type app, or a package with --linux-shortcut: "
             "documents are opened through a desktop entry, and a command-line tree has none";
    return false;
  }
  for (const std::string& file : options.fileAssociationFiles) {
    std::optional<FileAssociation> association = readFileAssociation(file, error);
    if (!association) return false;
    options.fileAssociations.push_back(std::move(*association));
  }
  return true;
}

bool readLaunchers(BundleOptions& options, std::string* error) {
  std::set<std::string> names = {options.name};
  for (const std::string& option : options.addLauncherOptions) {
    std::optional<AddedLauncher> launcher = readAddedLauncher(option, error);
    if (!launcher) return false;
    if (!names.insert(launcher->name).second) {
      *error = "--add-launcher " + option + ": " + launcher->name +
               (launcher->name == options.name ? " is the application's own launcher" : " is named twice");
      return false;
    }
    if (launcher->icon && !hasDesktopEntry(options)) {
      *error = "--add-launcher " + option + ": icon goes only with --type app: a command-line launcher shows no icon";
      return false;
    }
    options.addedLaunchers.push_back(std::move(*launcher));
  }
  return true;
}

}  // namespace

bool hasDesktopEntry(const BundleOptions& options) {
  return options.type == BundleType::App || (options.package.format != PackageFormat::None && options.package.shortcut);
}

bool readDocumentsAndLaunchers(BundleOptions& options, std::string* error) {
  return readAssociations(options, error) && readLaunchers(options, error);
}

}  // namespace kvx::bundle
