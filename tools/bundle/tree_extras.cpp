#include "tree_extras.h"

#include "added_launcher_configuration.h"
#include "app_configuration.h"
#include "desktop_entry.h"
#include "file_association.h"
#include "platform/file_creation.h"
#include "platform/paths.h"
#include "shared/embed_command.h"

namespace kvx::bundle {
namespace {

bool makeParentOf(const TreeExtrasRequest& r, const std::string& relative) {
  return platform::createDirectories(r.staging.place(relative).parent(), r.error).has_value();
}

bool copyFile(const TreeExtrasRequest& r, const std::string& from, const std::string& relative) {
  return makeParentOf(r, relative) && platform::copyNewFile(from, r.staging.place(relative), r.error);
}

bool shipAssociationIcons(const TreeExtrasRequest& r) {
  if (r.options.type != BundleType::App) return true;
  for (const FileAssociation& association : r.options.fileAssociations) {
    if (!association.icon) continue;
    std::string icon = platform::joinPath(r.plan.layout.resources, associationIconFile(association));
    if (!copyFile(r, *association.icon, icon)) return false;
  }
  return true;
}

// The launcher's icon in the tree: its own, else the application's.
std::optional<std::string> launcherIcon(const TreeExtrasRequest& r, const AddedLauncher& launcher) {
  if (launcher.icon) return platform::joinPath(r.plan.layout.resources, addedLauncherIconFile(launcher.name));
  if (r.options.icon) return platform::joinPath(r.plan.layout.resources, r.options.name + ".png");
  return std::nullopt;
}

bool writeEntry(const TreeExtrasRequest& r, const AddedLauncher& launcher, const MainClassChoice& main) {
  if (r.options.type != BundleType::App) return true;
  if (launcher.icon &&
      !copyFile(r, *launcher.icon, platform::joinPath(r.plan.layout.resources, addedLauncherIconFile(launcher.name)))) {
    return false;
  }
  DesktopEntryParts parts{launcher.name, addedLauncherExecutable(r.plan.layout, launcher.name),
                          launcher.description ? launcher.description : r.options.description,
                          launcherIcon(r, launcher), main.mainClass};
  std::string file = platform::joinPath(
      r.plan.layout.resources, std::string(kAddedEntriesFolder) + "/" +
                                   addedLauncherEntryFileName(r.options.name, r.options.identifier, launcher.name));
  return makeParentOf(r, file) && platform::writeNewFile(r.staging.place(file), desktopEntry(parts), 0644, r.error);
}

bool writeLauncher(const TreeExtrasRequest& r, const AddedLauncher& launcher, const MainClassChoice& main) {
  ConfigurationParts parts{r.options, r.plan.layout, r.plan.main, r.plan.jars, std::nullopt};
  plist::Value configuration = addedLauncherConfiguration(parts, launcher, main);
  std::optional<embed::FilledLauncher> filled =
      embed::launcherWithDictionary(r.plan.stub, configuration, "the configuration of " + launcher.name, r.error);
  std::string executable = addedLauncherExecutable(r.plan.layout, launcher.name);
  return filled && platform::writeNewFile(r.staging.place(executable), filled->bytes, filled->permissions, r.error) &&
         writeEntry(r, launcher, main);
}

}  // namespace

bool addDocumentsAndLaunchers(const TreeExtrasRequest& r) {
  if (!shipAssociationIcons(r)) return false;
  for (size_t i = 0; i < r.options.addedLaunchers.size(); ++i) {
    if (!writeLauncher(r, r.options.addedLaunchers[i], r.plan.addedMains[i])) return false;
  }
  return true;
}

}  // namespace kvx::bundle
