#include "added_launcher_configuration.h"

#include "configuration_entry.h"
#include "desktop_entry.h"
#include "platform/paths.h"

namespace kvx::bundle {
namespace {

// The identifier's characters only: letters, digits, "-" and ".".
std::string identifierPart(std::string name) {
  for (char& c : name) {
    if (c == '_') c = '-';
  }
  return name;
}

}  // namespace

std::string addedLauncherExecutable(const BundleLayout& layout, const std::string& name) {
  return platform::joinPath(platform::deletingLastPathComponent(layout.executable), name);
}

std::string addedLauncherIconFile(const std::string& name) { return name + ".png"; }

std::string addedLauncherEntryFileName(const std::string& name, const std::optional<std::string>& identifier,
                                       const std::string& launcher) {
  std::string own = desktopEntryFileName(name, identifier);
  return own.substr(0, own.size() - std::string(".desktop").size()) + "-" + launcher + ".desktop";
}

plist::Value addedLauncherConfiguration(const ConfigurationParts& parts, const AddedLauncher& launcher,
                                        const MainClassChoice& main) {
  // Read as a command-line tree's launcher, which carries no
  // CFBundleExecutable and finds the root through kvx.baseDir.
  BundleOptions options = parts.options;
  options.type = BundleType::Cli;
  options.name = launcher.name;
  if (options.identifier) options.identifier = *options.identifier + "." + identifierPart(launcher.name);
  if (launcher.description) options.description = launcher.description;
  if (launcher.javaOptions) options.javaOptions = *launcher.javaOptions;
  if (launcher.arguments) options.arguments = *launcher.arguments;
  options.fileAssociations.clear();
  plist::Value configuration = applicationConfiguration({options, parts.layout, main, parts.jars, std::nullopt});
  if (parts.options.type != BundleType::App) return configuration;
  // Contents/MacOS/NAME: the root is Contents/Resources/app, and the bundle
  // three levels above it holds the runtime in Contents/PlugIns.
  plist::Dictionary dict = configuration.entries();
  replaceEntry(dict, config::kBaseDir, plist::Value::string("../Resources/app"));
  addEntry(dict, config::kInSingleBundle, plist::Value::boolean(true));
  return plist::Value::dictionary(std::move(dict));
}

}  // namespace kvx::bundle
