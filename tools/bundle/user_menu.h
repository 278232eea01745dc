// Putting an application that kvx-bundle made where the current user's
// desktop finds it, and taking it away again: a window application's menu
// entry and icon under XDG_DATA_HOME, a command-line application's command
// in ~/.local/bin. The application stays where it is; what is written
// names its real place, so it is written again after the application moves.
#pragma once

#include <string>
#include <vector>

namespace kvx::bundle {

// What was written or removed, one path a line, for the user to see.
using MenuChanges = std::vector<std::string>;

// Registers the application at app (DEST/NAME.app or DEST/NAME). An entry,
// icon or command already there for the same name is replaced: it is the
// same application, registered again. False with one line in *error.
bool addToUserMenu(const std::string& app, MenuChanges& changes, std::string* error);

// Takes away what addToUserMenu wrote for app. Only what names app's real
// place is removed: another application's entry of the same name stays, and
// is told. Nothing there is no error.
bool removeFromUserMenu(const std::string& app, MenuChanges& changes, std::string* error);

}  // namespace kvx::bundle
