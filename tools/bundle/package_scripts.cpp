#include "package_scripts.h"

namespace kvx::bundle {
namespace {

std::string whenInstalled(const std::string& tool, const std::string& arguments) {
  return "if command -v " + tool + " >/dev/null 2>&1; then\n  " + tool + " " + arguments + " || true\nfi\n";
}

std::string debScript(const std::string& cases, bool hasDesktopEntry, bool hasIcon) {
  std::string update = desktopCacheUpdate(hasDesktopEntry, hasIcon);
  if (update.empty()) return "";
  std::string indented;
  for (size_t start = 0; start < update.size();) {
    size_t end = update.find('\n', start);
    indented += "    " + update.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return "#!/bin/sh\nset -e\n\ncase \"$1\" in\n  " + cases + ")\n" + indented + "    ;;\nesac\n";
}

}  // namespace

std::string desktopCacheUpdate(bool hasDesktopEntry, bool hasIcon) {
  std::string commands;
  if (hasDesktopEntry) {
    commands += whenInstalled("update-desktop-database", "-q /usr/share/applications");
    commands += whenInstalled("update-mime-database", "/usr/share/mime");
  }
  if (hasIcon) {
    commands += whenInstalled("gtk-update-icon-cache", "-q -t -f /usr/share/icons/hicolor");
  }
  return commands;
}

std::string debPostinst(bool hasDesktopEntry, bool hasIcon) {
  return debScript("configure", hasDesktopEntry, hasIcon);
}

std::string debPostrm(bool hasDesktopEntry, bool hasIcon) {
  return debScript("remove|purge", hasDesktopEntry, hasIcon);
}

}  // namespace kvx::bundle
