#include "build_options_check.h"

#include <algorithm>
#include <set>

#include "app_content.h"
#include "bundle_options.h"
#include "package_options.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "refusal.h"

namespace kvx::bundle {
namespace {

bool checkService(const BundleOptions& o, std::string* error) {
  if (!o.launcherAsService) return true;
  if (o.package.format == PackageFormat::None) {
    return fail(error, "--launcher-as-service goes only with --type deb or --type rpm: the package installs the service");
  }
  if (o.type != BundleType::Cli) {
    return fail(error, "--launcher-as-service needs --package-tree cli: the service runs the command-line launcher; a "
                       "window application's launcher takes no service action");
  }
  if (packageNameOf(o).find('+') != std::string::npos) {
    return fail(error, "--launcher-as-service: the package name \"" + packageNameOf(o) +
                           "\" holds \"+\", which a systemd unit's name may not (give one with --linux-package-name)");
  }
  return true;
}

bool checkAppContent(const BundleOptions& o, std::string* error) {
  std::vector<std::string> taken = namesTakenBeside(o);
  std::set<std::string> names;
  for (const std::string& path : o.appContent) {
    std::string name = platform::lastPathComponent(appContentPlace(o.type, path));
    std::string given = platform::lastPathComponent(path);
    if (name.empty() || name == "." || name == ".." || given == "." || given == "..") {
      return fail(error, "--app-content \"" + path + "\": name a file or folder by its own name");
    }
    if (!platform::entryExists(path)) return fail(error, "--app-content " + path + ": no such file or folder");
    if (std::find(taken.begin(), taken.end(), name) != taken.end()) {
      std::string message = "--app-content ";
      message.append(path).append(": \"").append(name).append("\" is the name of the tree's own ");
      message.append(o.type == BundleType::App ? "Contents/Resources/" : "").append(name);
      return fail(error, message);
    }
    if (!names.insert(name).second) {
      std::string message = "--app-content ";
      message.append(path).append(": another content is named \"").append(name).append("\" too");
      return fail(error, message);
    }
  }
  return true;
}

// kvx-bundle names the modules and the output itself, and the runtime's
// java makes the class-data archive and, later, the startup cache.
bool checkJlinkOptions(const BundleOptions& o, std::string* error) {
  if (!o.jlinkOptions) return true;
  if (o.runtime != RuntimeSource::Jlink) {
    return fail(error, std::string("--jlink-options is for a runtime made with jlink; it does not go with ") +
                           (o.runtime == RuntimeSource::None ? "--no-runtime" : "--runtime-image"));
  }
  for (const std::string& option : *o.jlinkOptions) {
    std::string name = option.substr(0, option.find('='));
    if (name == "--output" || name == "--add-modules") {
      return fail(error, "--jlink-options: kvx-bundle gives jlink " + name +
                             " itself (add modules with kvx-bundle's --add-modules)");
    }
    if (name == "--strip-native-commands") {
      return fail(error, "--jlink-options: --strip-native-commands takes away bin/java, with which the runtime "
                         "makes its class-data archive and the application its startup cache");
    }
  }
  return true;
}

bool checkTemp(const BundleOptions& o, std::string* error) {
  if (!o.temp) return true;
  if (o.package.format == PackageFormat::None) {
    return fail(error, "--temp goes only with --type deb or --type rpm: a tree is built in a hidden folder of DEST, "
                       "which becomes the application");
  }
  if (o.temp->empty()) return fail(error, "--temp needs a folder");
  if (!platform::entryExists(*o.temp)) return true;
  std::optional<std::vector<std::string>> entries = platform::listDirectory(*o.temp);
  if (!platform::isDirectory(*o.temp) || platform::isSymbolicLink(*o.temp) || !entries || !entries->empty()) {
    return fail(error, "--temp " + *o.temp + ": not a new or empty folder, which kvx-bundle fills and leaves for you");
  }
  return true;
}

bool checkResourceDir(const BundleOptions& o, std::string* error) {
  if (!o.resourceDir || platform::isDirectory(*o.resourceDir)) return true;
  return fail(error, "--resource-dir " + *o.resourceDir + ": no such folder");
}

}  // namespace

bool checkBuildOptions(const BundleOptions& options, std::string* error) {
  return checkService(options, error) && checkAppContent(options, error) && checkJlinkOptions(options, error) &&
         checkTemp(options, error) && checkResourceDir(options, error);
}

}  // namespace kvx::bundle
