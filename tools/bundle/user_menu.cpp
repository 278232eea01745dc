#include "user_menu.h"

#include <algorithm>
#include <optional>

#include "desktop_entry.h"
#include "package_icon.h"
#include "package_programs.h"
#include "platform/captured_program.h"
#include "platform/file_creation.h"
#include "platform/file_replace.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx::bundle {
namespace {

constexpr size_t kEntryLimit = 1 << 20;

// What kvx-bundle made at the registered place: the entry a window
// application carries, or the commands of a command-line application (its
// own and its further launchers).
struct MadeApplication {
  std::string place;                 // the real, absolute path
  std::string entryFile;             // Contents/Resources/<id>.desktop, when a window application
  std::vector<std::string> commands;  // bin/<name>, … when a command-line application
  std::vector<std::string> launcherEntryFiles;  // Contents/Resources/launchers/*.desktop: further launchers
};

std::optional<std::string> onlyEntryEndingIn(const std::string& folder, const std::string& suffix) {
  std::optional<std::string> found;
  for (const std::string& name : platform::listDirectory(folder).value_or(std::vector<std::string>{})) {
    if (!name.ends_with(suffix)) continue;
    if (found) return std::nullopt;
    found = name;
  }
  return found;
}

std::optional<MadeApplication> madeApplicationAt(const std::string& app, std::string* error) {
  std::optional<std::string> place = platform::resolveSymlinks(app);
  if (!place || !platform::isDirectory(*place)) {
    *error = app + ": no application there";
    return std::nullopt;
  }
  MadeApplication made{*place, "", {}, {}};
  if (auto entry = onlyEntryEndingIn(platform::joinPath(*place, "Contents/Resources"), ".desktop")) {
    made.entryFile = "Contents/Resources/" + *entry;
    std::string launchers = platform::joinPath(*place, "Contents/Resources/launchers");
    for (const std::string& name : platform::listDirectory(launchers).value_or(std::vector<std::string>{})) {
      if (name.ends_with(".desktop")) made.launcherEntryFiles.push_back("Contents/Resources/launchers/" + name);
    }
    std::sort(made.launcherEntryFiles.begin(), made.launcherEntryFiles.end());
    return made;
  }
  std::vector<std::string> names = platform::listDirectory(platform::joinPath(*place, "bin")).value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  bool allCommands = !names.empty() && std::all_of(names.begin(), names.end(), [&](const std::string& name) {
    return platform::isExecutableFile(platform::joinPath(*place, "bin/" + name));
  });
  if (allCommands) {
    for (const std::string& name : names) made.commands.push_back("bin/" + name);
    return made;
  }
  *error = app + ": not an application kvx-bundle made: it has neither a desktop entry in Contents/Resources "
                 "nor only commands in bin";
  return std::nullopt;
}

std::string entryId(const std::string& entryFile) {
  std::string name = platform::lastPathComponent(entryFile);
  return name.substr(0, name.size() - std::string(".desktop").size());
}

std::string entryPath(const std::string& entryFile) {
  return platform::joinPath(platform::userDataDirectory(), "applications/" + entryId(entryFile) + ".desktop");
}

// The bundle's own icon file as its entry names it, relative to the bundle.
std::optional<std::string> bundledIcon(const std::string& entry) {
  std::string prefix = std::string("\nIcon=") + kAppPathPlaceholder + "/";
  size_t at = ("\n" + entry).find(prefix);
  if (at == std::string::npos) return std::nullopt;
  size_t end = entry.find('\n', at);
  return entry.substr(at + prefix.size() - 1, end - (at + prefix.size() - 1));
}

std::string themeIconPath(int size, const std::string& id) {
  std::string folder = std::to_string(size) + "x" + std::to_string(size);
  return platform::joinPath(platform::userDataDirectory(), "icons/hicolor/" + folder + "/apps/" + id + ".png");
}

// The icon goes into the user's icon theme when its size is one of the
// theme's; any other stays where it is and the entry names its file.
std::optional<std::string> installIcon(const MadeApplication& made, const std::string& entryFile,
                                       const std::string& entry, MenuChanges& changes, std::string* error) {
  std::optional<std::string> icon = bundledIcon(entry);
  if (!icon) return std::nullopt;
  std::string file = platform::joinPath(made.place, *icon);
  std::string unthemed;
  int size = themeIconSize(file, &unthemed);
  if (size == 0) return std::nullopt;
  std::string target = themeIconPath(size, entryId(entryFile));
  std::optional<std::string> bytes = platform::readFile(file, 16 << 20, error);
  if (!bytes || !platform::createDirectories(platform::deletingLastPathComponent(target), error) ||
      !platform::replaceFile(target, *bytes, 0644, error)) {
    *error = target + ": " + *error;
    return std::string();
  }
  changes.push_back(target);
  return entryId(entryFile);
}

// Desktops read the menu's cache, where there is one, rather than the folder.
void refreshMenuCache() {
  std::string folder = platform::joinPath(platform::userDataDirectory(), "applications");
  std::string missing;
  if (auto tool = findPackagingProgram("update-desktop-database", "desktop-file-utils", &missing)) {
    std::string ignored;
    platform::runCapturingOutput(*tool, {"-q", folder}, &ignored);
  }
}

bool addEntry(const MadeApplication& made, const std::string& entryFile, MenuChanges& changes, std::string* error) {
  std::string reason;
  std::optional<std::string> entry = platform::readFile(platform::joinPath(made.place, entryFile), kEntryLimit, &reason);
  if (!entry) {
    *error = platform::joinPath(made.place, entryFile) + ": " + reason;
    return false;
  }
  std::optional<std::string> iconName = installIcon(made, entryFile, *entry, changes, error);
  if (iconName && iconName->empty()) return false;
  std::string target = entryPath(entryFile);
  if (!platform::createDirectories(platform::deletingLastPathComponent(target), error) ||
      !platform::replaceFile(target, placedDesktopEntry(*entry, made.place, iconName), 0644, error)) {
    return false;
  }
  changes.push_back(target);
  return true;
}

// The application's own entry, then one for each further launcher.
bool addWindowApplication(const MadeApplication& made, MenuChanges& changes, std::string* error) {
  if (!addEntry(made, made.entryFile, changes, error)) return false;
  for (const std::string& entryFile : made.launcherEntryFiles) {
    if (!addEntry(made, entryFile, changes, error)) return false;
  }
  refreshMenuCache();
  return true;
}

std::string commandLinkPath(const std::string& command) {
  return platform::joinPath(platform::userExecutableDirectory(), platform::lastPathComponent(command));
}

bool addCommand(const MadeApplication& made, const std::string& command, MenuChanges& changes, std::string* error) {
  std::string link = commandLinkPath(command);
  std::string target = platform::joinPath(made.place, command);
  if (platform::entryExists(link) && !platform::isSymbolicLink(link)) {
    *error = link + ": a file of that name is there already, and only a link made here is replaced";
    return false;
  }
  std::string partial = link + ".kvx-partial";
  platform::removeFile(partial);
  if (!platform::createDirectories(platform::userExecutableDirectory(), error) ||
      !platform::createSymbolicLink(target, partial, error) || !platform::renameFile(partial, link, error)) {
    return false;
  }
  changes.push_back(link);
  return true;
}

// Whether what is at path was written for the application at place.
bool namesPlace(const std::string& path, const std::string& place, bool isLink) {
  if (isLink) return platform::resolveSymlinks(path).value_or("").starts_with(place + "/");
  std::optional<std::string> text = platform::readFile(path, kEntryLimit);
  return text && text->find(place + "/") != std::string::npos;
}

bool removeOne(const std::string& path, const std::string& place, bool isLink, MenuChanges& changes,
               std::string* error) {
  if (!platform::entryExists(path)) return true;
  if (!namesPlace(path, place, isLink)) {
    *error = path + ": belongs to another application, and stays";
    return false;
  }
  if (!platform::removeFile(path)) {
    *error = path + ": cannot be removed";
    return false;
  }
  changes.push_back(path);
  return true;
}

bool removeEntry(const MadeApplication& made, const std::string& entryFile, MenuChanges& changes, std::string* error) {
  size_t removedBefore = changes.size();
  if (!removeOne(entryPath(entryFile), made.place, false, changes, error)) return false;
  // The icon names nothing, so it goes with the entry that was ours.
  if (changes.size() > removedBefore) {
    for (int size : kThemeSizes) {
      std::string icon = themeIconPath(size, entryId(entryFile));
      if (platform::removeFile(icon)) changes.push_back(icon);
    }
  }
  return true;
}

bool removeWindowApplication(const MadeApplication& made, MenuChanges& changes, std::string* error) {
  if (!removeEntry(made, made.entryFile, changes, error)) return false;
  for (const std::string& entryFile : made.launcherEntryFiles) {
    if (!removeEntry(made, entryFile, changes, error)) return false;
  }
  refreshMenuCache();
  return true;
}

}  // namespace

bool addToUserMenu(const std::string& app, MenuChanges& changes, std::string* error) {
  std::optional<MadeApplication> made = madeApplicationAt(app, error);
  if (!made) return false;
  if (made->commands.empty()) return addWindowApplication(*made, changes, error);
  for (const std::string& command : made->commands) {
    if (!addCommand(*made, command, changes, error)) return false;
  }
  return true;
}

bool removeFromUserMenu(const std::string& app, MenuChanges& changes, std::string* error) {
  std::optional<MadeApplication> made = madeApplicationAt(app, error);
  if (!made) return false;
  if (made->commands.empty()) return removeWindowApplication(*made, changes, error);
  for (const std::string& command : made->commands) {
    if (!removeOne(commandLinkPath(command), made->place, true, changes, error)) return false;
  }
  return true;
}

}  // namespace kvx::bundle
