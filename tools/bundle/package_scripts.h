// What a package runs when it is installed and removed: the desktop's
// caches of entries, icons and file types are brought up to date, so that
// the menu shows the application at once and forgets it when it goes.
#pragma once

#include <string>

namespace kvx::bundle {

// Shell commands (no "#!" line) that refresh the caches of the folders the
// package writes to. Each tool is run only when installed and its failure
// never fails the installation: a cache out of date is not worth a
// half-installed package.
std::string desktopCacheUpdate(bool hasDesktopEntry, bool hasIcon);

// Debian's maintainer scripts around desktopCacheUpdate: postinst on
// "configure", postrm on "remove" and "purge". Empty when there is nothing
// to refresh (a command-line tree), and then no script is shipped.
std::string debPostinst(bool hasDesktopEntry, bool hasIcon);
std::string debPostrm(bool hasDesktopEntry, bool hasIcon);

}  // namespace kvx::bundle
