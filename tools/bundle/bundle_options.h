// What a packager asks kvx-bundle for, read from its command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "added_launcher.h"
#include "file_association.h"
#include "package_options.h"

namespace kvx::bundle {

enum class BundleType { App, Cli };

// Where the application's runtime comes from.
enum class RuntimeSource {
  Jlink,  // made with the JDK's jlink, holding only the modules needed
  Image,  // a prepared runtime, shipped as it is
  None,   // none shipped: the installed runtimes are searched
};

struct BundleOptions {
  std::string name;
  std::string input;
  std::string dest;
  BundleType type = BundleType::App;
  std::optional<std::string> mainClass;
  std::optional<std::string> mainJar;
  std::vector<std::string> javaOptions;
  std::vector<std::string> arguments;

  RuntimeSource runtime = RuntimeSource::Jlink;
  std::optional<std::string> jdk;
  std::vector<std::string> addModules;
  std::optional<std::string> runtimeImage;
  std::optional<std::string> minJava;
  std::optional<std::string> maxJava;

  std::optional<std::string> appVersion;
  std::optional<std::string> identifier;
  std::optional<std::string> description;
  std::optional<std::string> vendor;
  std::optional<std::string> icon;
  std::optional<std::string> messages;
  std::optional<std::string> stub;

  // With --type deb or rpm: the package around the tree.
  PackageOptions package;

  // How the application meets its user's command line and its own files
  // (launch_shape.h): what real applications otherwise needed by hand.
  std::optional<std::string> workingDir;      // --working-dir, else where the user starts it
  std::vector<std::string> defaultArguments;  // --default-arguments: used only when the user gives none
  bool allowPassthrough = false;              // --allow-passthrough: -J options reach the virtual machine
  std::optional<std::string> classPath;       // --class-path, relative to the input
  std::optional<std::string> splash;          // --splash, relative to the input
  bool defaultModules = false;                // --default-modules: the JDK's whole API in the runtime

  // Whether the application keeps a startup cache per runtime (kvx.startupCache).
  bool startupCache = true;
  bool verbose = false;
  bool help = false;
  bool version = false;
  // --add-to-menu / --remove-from-menu: work on an application made before,
  // nothing is made.
  std::optional<std::string> addToMenu;
  std::optional<std::string> removeFromMenu;

  // A modular application: --module NAME[/CLASS] starts it, --module-path
  // (each value split at ":") holds its modules, relative to the input or absolute.
  std::optional<std::string> module;
  std::vector<std::string> modulePath;
  // Documents the application opens, and its further launchers: the files
  // as given (--file-associations FILE, --add-launcher NAME=FILE), then what
  // they say, read once every option is.
  std::vector<std::string> fileAssociationFiles;
  std::vector<std::string> addLauncherOptions;
  std::vector<FileAssociation> fileAssociations;
  std::vector<AddedLauncher> addedLaunchers;
  // Services and the build's own workings.
  // --launcher-as-service: a package's command-line launcher run as a systemd service.
  bool launcherAsService = false;
  // --app-content: files and folders copied beside the input's copy.
  std::vector<std::string> appContent;
  // --jlink-options: in place of kvx-bundle's own options of jlink, when given.
  std::optional<std::vector<std::string>> jlinkOptions;
  // --temp: the package's work folder, kept for inspection.
  std::optional<std::string> temp;
  // --resource-dir: files that take the place of generated ones.
  std::optional<std::string> resourceDir;
};

// The options of a command line whose @FILE arguments have been expanded.
// Each option is "--name VALUE" or "--name=VALUE". On a mistake returns
// nullopt and puts one line into *error saying which option and why: an
// unknown option, a missing value, an option given twice that may be given
// once, a required option left out, or options that exclude each other.
// --help and --version alone are always accepted; --add-to-menu and
// --remove-from-menu go with nothing else but --verbose. A value that becomes part
// of the application's configuration must be UTF-8, as the launcher reads it.
std::optional<BundleOptions> parseBundleOptions(const std::vector<std::string>& args, std::string* error);

// The names of every option parseBundleOptions reads ("--name", …), for the help to explain.
std::vector<std::string_view> bundleOptionNames();

}  // namespace kvx::bundle
