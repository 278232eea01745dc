#include "package_extras.h"

#include "added_launcher_configuration.h"
#include "bundle_layout.h"
#include "file_association.h"
#include "package_desktop.h"
#include "package_icon.h"
#include "platform/file_creation.h"
#include "platform/paths.h"

namespace kvx::bundle {
namespace {

// The theme's folder for an icon, or "" with *error when its size has none.
std::string themeFolder(const std::string& icon, const std::string& option, std::string* error) {
  int size = themeIconSize(icon, error);
  if (size == 0) {
    if (error->starts_with("--icon ")) error->erase(0, 7);
    *error = option + ": icon " + *error;
    return "";
  }
  std::string side = std::to_string(size);
  return "usr/share/icons/hicolor/" + side + "x" + side;
}

bool placeDocuments(const BundleOptions& options, PackageLayout& layout, std::string* error) {
  if (options.fileAssociations.empty()) return true;
  layout.mimeInfo = "usr/share/mime/packages/" + layout.name + ".xml";
  for (const FileAssociation& association : options.fileAssociations) {
    std::string icon;
    if (association.icon) {
      std::string folder = themeFolder(*association.icon, "--file-associations " + association.file, error);
      if (folder.empty()) return false;
      icon = folder + "/mimetypes/" + mimeTypeIconName(association.mimeType) + ".png";
    }
    layout.mimeIcons.push_back(icon);
  }
  return true;
}

bool placeLauncher(const BundleOptions& options, const AddedLauncher& launcher, PackageLayout& layout,
                   std::string* error) {
  PackageLayout::Launcher place;
  place.name = launcher.name;
  place.executable = platform::joinPath(layout.tree, addedLauncherExecutable(layoutFor(options.type, options.name), launcher.name));
  if (!layout.desktopEntry.empty()) {
    place.desktopEntry = "usr/share/applications/" + addedLauncherEntryFileName(layout.name, options.identifier, launcher.name);
  }
  if (options.type == BundleType::Cli) place.command = "usr/bin/" + launcher.name;
  if (!layout.icon.empty()) place.iconName = layout.iconName;
  if (launcher.icon) {
    std::string folder = themeFolder(*launcher.icon, "--add-launcher " + launcher.name + "=" + launcher.file, error);
    if (folder.empty()) return false;
    place.iconName = layout.name + "-" + launcher.name;
    place.icon = folder + "/apps/" + place.iconName + ".png";
  }
  layout.launchers.push_back(place);
  return true;
}

bool writeFile(const std::string& path, const std::string& text, std::string* error) {
  return platform::createDirectories(platform::deletingLastPathComponent(path), error) &&
         platform::writeNewFile(path, text, 0644, error);
}

bool copyFile(const std::string& from, const std::string& path, std::string* error) {
  return platform::createDirectories(platform::deletingLastPathComponent(path), error) &&
         platform::copyNewFile(from, path, error);
}

bool addDocuments(const PackageRootRequest& r, std::string* error) {
  const std::vector<FileAssociation>& associations = r.options.fileAssociations;
  if (associations.empty()) return true;
  if (!writeFile(platform::joinPath(r.root, r.layout.mimeInfo), sharedMimeInfo(associations, r.options.name), error)) {
    return false;
  }
  for (size_t i = 0; i < associations.size(); ++i) {
    if (r.layout.mimeIcons[i].empty()) continue;
    if (!copyFile(*associations[i].icon, platform::joinPath(r.root, r.layout.mimeIcons[i]), error)) return false;
  }
  return true;
}

bool addLauncher(const PackageRootRequest& r, size_t i, std::string* error) {
  const AddedLauncher& launcher = r.options.addedLaunchers[i];
  const PackageLayout::Launcher& place = r.layout.launchers[i];
  if (!place.icon.empty() && !copyFile(*launcher.icon, platform::joinPath(r.root, place.icon), error)) return false;
  if (!place.desktopEntry.empty() &&
      !writeFile(platform::joinPath(r.root, place.desktopEntry),
                 packagedLauncherEntry(r.options, r.layout, launcher, r.plan.addedMains[i].mainClass), error)) {
    return false;
  }
  if (place.command.empty()) return true;
  // Absolute, as the application's own command is.
  std::string link = platform::joinPath(r.root, place.command);
  return platform::createDirectories(platform::deletingLastPathComponent(link), error) &&
         platform::createSymbolicLink(place.executable, link, error);
}

}  // namespace

bool placeDocumentsAndLaunchers(const BundleOptions& options, PackageLayout& layout, std::string* error) {
  if (!placeDocuments(options, layout, error)) return false;
  for (const AddedLauncher& launcher : options.addedLaunchers) {
    if (!placeLauncher(options, launcher, layout, error)) return false;
  }
  return true;
}

bool shipsThemeIcons(const PackageLayout& layout) {
  if (!layout.icon.empty()) return true;
  for (const std::string& icon : layout.mimeIcons) {
    if (!icon.empty()) return true;
  }
  for (const PackageLayout::Launcher& launcher : layout.launchers) {
    if (!launcher.icon.empty()) return true;
  }
  return false;
}

std::vector<std::string> documentAndLauncherFiles(const PackageLayout& layout) {
  std::vector<std::string> files;
  if (!layout.mimeInfo.empty()) files.push_back(layout.mimeInfo);
  for (const std::string& icon : layout.mimeIcons) {
    if (!icon.empty()) files.push_back(icon);
  }
  for (const PackageLayout::Launcher& launcher : layout.launchers) {
    for (const std::string* path : {&launcher.desktopEntry, &launcher.icon, &launcher.command}) {
      if (!path->empty()) files.push_back(*path);
    }
  }
  return files;
}

bool addDocumentsAndLaunchersToRoot(const PackageRootRequest& request, std::string* error) {
  if (!addDocuments(request, error)) return false;
  for (size_t i = 0; i < request.options.addedLaunchers.size(); ++i) {
    if (!addLauncher(request, i, error)) return false;
  }
  return true;
}

}  // namespace kvx::bundle
