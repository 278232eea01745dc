// Where each part of a package lies once installed, as paths relative to
// the file system's root (no leading "/"), and what the package file is
// called. The next shapes of an application (further launchers, file
// associations, services) add their places here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bundle_options.h"

namespace kvx::bundle {

struct PackageLayout {
  std::string name;          // the package's name
  std::string version;       // --app-version
  std::string release;       // --linux-app-release
  std::string architecture;  // in the format's own words: amd64 | x86_64
  std::string installDir;    // absolute: /opt/hello
  std::string tree;          // absolute: the application's tree, /opt/hello/Hello.app | /opt/hello
  std::string executable;    // absolute: the launcher inside the tree
  std::string desktopEntry;  // usr/share/applications/<id or name>.desktop; "" for a command-line tree
  std::string icon;          // usr/share/icons/hicolor/NxN/apps/<name>.png; "" without --icon
  std::string iconName;      // the theme's name for it: the package's name
  std::string command;       // usr/bin/<NAME> for a command-line tree; "" otherwise
  std::string docDir;        // usr/share/doc/<name>
  std::string fileName;
  std::string serviceUnit;     // usr/lib/systemd/system/<name>.service with --launcher-as-service; "" otherwise
  std::string lintFilters;     // the .rpm's rpmlintrc beside it: NAME-VERSION-RELEASE.ARCH.rpmlintrc      // hello_1.0-1_amd64.deb | hello-1.0-1.x86_64.rpm
  // Documents and further launchers (package_extras.h): relative paths, ""
  // where there is nothing.
  std::string mimeInfo;                       // usr/share/mime/packages/<name>.xml
  std::vector<std::string> mimeIcons;         // one an association: hicolor/NxN/mimetypes/<type>.png
  struct Launcher {
    std::string name;
    std::string executable;                   // absolute, beside the application's launcher
    std::string desktopEntry;                 // usr/share/applications/<entry>-<name>.desktop
    std::string icon;                         // hicolor/NxN/apps/<package>-<name>.png
    std::string iconName;                     // the theme's name for its icon, "" for none
    std::string command;                      // usr/bin/<name> for a command-line tree
  };
  std::vector<Launcher> launchers;
};

// The processor of the launcher stub in the format's words, or nullopt with
// *error when the stub is no ELF image of a processor the formats name.
std::optional<std::string> packageArchitecture(PackageFormat format, const std::string& stub, std::string* error);

// iconSize is the side of the square --icon (0 without one).
PackageLayout packageLayoutFor(const BundleOptions& options, const std::string& architecture, int iconSize);

}  // namespace kvx::bundle
