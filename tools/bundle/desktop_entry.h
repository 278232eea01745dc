// The Linux desktop entry an application bundle carries, so that it can be
// put into a user's menu once the application is at its final place.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::bundle {

// Stands for the application bundle's absolute path in Exec and Icon: a
// desktop entry takes only absolute paths, and the bundle's final place is
// known only when it is installed.
inline constexpr const char* kAppPathPlaceholder = "@APP_PATH@";

struct DesktopEntryParts {
  std::string name;
  std::string executable;                 // relative to the bundle: Contents/MacOS/<name>
  std::optional<std::string> description;
  std::optional<std::string> icon;        // relative to the bundle, when there is one
  std::string mainClass;
  bool terminal = false;                  // a command-line application, run in a terminal
  // The media types of the documents it opens: then the entry says so in
  // MimeType, and Exec hands it the files opened with it (%F).
  std::vector<std::string> mimeTypes = {};
};

// The entry's file name: the identifier when given (the form the menus
// prefer), else the application's name, with ".desktop".
std::string desktopEntryFileName(const std::string& name, const std::optional<std::string>& identifier);

// The entry's text. StartupWMClass is the main class with its dots made
// dashes, the window class a Java toolkit gives the application's windows,
// so that they are grouped under the entry.
std::string desktopEntry(const DesktopEntryParts& parts);

// The entry a bundle carries, with its place filled in: appPath quoted as
// Exec needs it, escaped as other values need it. With iconName, Icon names
// that icon of the theme instead of the file in the bundle.
std::string placedDesktopEntry(const std::string& entry, const std::string& appPath,
                               const std::optional<std::string>& iconName);

}  // namespace kvx::bundle
