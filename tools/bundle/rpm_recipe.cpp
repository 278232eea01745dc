#include "rpm_recipe.h"

#include "package_documents.h"
#include "package_extras.h"
#include "package_scripts.h"
#include "service_scripts.h"
#include "service_unit.h"

namespace kvx::bundle {
namespace {

// A regular expression matching exactly the given names, for rpm's
// exclusion macros.
std::string namesPattern(const std::vector<std::string>& names) {
  std::string pattern;
  for (const std::string& name : names) {
    if (!pattern.empty()) pattern += "|";
    for (char c : name) {
      if (c == '.' || c == '+') pattern += "\\\\";
      pattern += c;
    }
  }
  return "^(" + pattern + ")";
}

std::string header(const RpmRecipeParts& parts) {
  const BundleOptions& options = parts.options;
  const PackageLayout& layout = parts.layout;
  std::string recipe;
  recipe += "%global debug_package %{nil}\n";
  // The tree is installed as it was built: no stripping, no build-id links.
  recipe += "%global __os_install_post %{nil}\n";
  recipe += "%global _build_id_links none\n";
  recipe += "%global __provides_exclude_from ^" + layout.installDir + "/.*$\n";
  if (!parts.bundledLibraries.empty()) recipe += "%global __requires_exclude " + namesPattern(parts.bundledLibraries) + "\n";
  recipe += "Name: " + layout.name + "\n";
  recipe += "Version: " + layout.version + "\n";
  recipe += "Release: " + layout.release + "\n";
  recipe += "Summary: " + summaryOf(options) + "\n";
  recipe += "License: " + options.package.licenseType.value_or("Unknown") + "\n";
  if (options.vendor) recipe += "Vendor: " + *options.vendor + "\n";
  if (options.package.aboutUrl) recipe += "URL: " + *options.package.aboutUrl + "\n";
  recipe += "Group: " + options.package.appCategory.value_or("Applications") + "\n";
  recipe += "Packager: " + maintainerOf(options) + "\n";
  for (const std::string& clause : options.package.extraDepends) recipe += "Requires: " + clause + "\n";
  recipe += "\n%description\n" + options.name + " " + layout.version + ", installed in " + layout.installDir + ".\n";
  return recipe;
}

std::string files(const RpmRecipeParts& parts) {
  const PackageLayout& layout = parts.layout;
  // Quoted: a command is named after the application, which may hold blanks.
  std::string list = "\n%files\n%defattr(-,root,root,-)\n" + layout.installDir + "\n";
  for (const std::string* path : {&layout.desktopEntry, &layout.icon, &layout.command, &layout.serviceUnit}) {
    if (!path->empty()) list += "\"/" + *path + "\"\n";
  }
  for (const std::string& path : documentAndLauncherFiles(layout)) list += "\"/" + path + "\"\n";
  list += "%dir /" + layout.docDir + "\n%license /" + layout.docDir + "/copyright\n";
  return list;
}

std::string scripts(const PackageLayout& layout) {
  std::string update = desktopCacheUpdate(!layout.desktopEntry.empty(), shipsThemeIcons(layout));
  std::string unit = layout.serviceUnit.empty() ? "" : serviceUnitName(layout);
  auto service = [&](std::string (*commands)(const std::string&)) { return unit.empty() ? "" : commands(unit); };
  std::string text;
  for (auto [section, commands] : {std::pair{"%post", update + service(rpmServicePost)},
                                   {"%preun", service(rpmServicePreun)},
                                   {"%postun", update + service(rpmServicePostun)}}) {
    if (!commands.empty()) text += "\n" + std::string(section) + "\n" + commands;
  }
  return text;
}

}  // namespace

std::string rpmlintFilters(bool shipsRuntime) {
  std::string filters =
      "# What rpmlint reports of this package by design: rpmlint -r THIS-FILE PACKAGE\n"
      "# The application is installed whole, with its own runtime, under /opt.\n"
      "addFilter(\"dir-or-file-in-opt\")\n";
  // rpmlint counts a filter that matches nothing as an error of its own.
  if (shipsRuntime) {
    filters +=
        "# The runtime's libraries are its own, not the system's: they find each other\n"
        "# through $ORIGIN, carry no version in their names, and are offered to no one.\n"
        "addFilter(\"binary-or-shlib-defines-rpath\")\n"
        "addFilter(\"invalid-soname\")\n"
        "addFilter(\"missing-hash-section\")\n"
        "addFilter(\"non-versioned-file-in-library-package\")\n";
  }
  return filters +
         "# Signing is the distributor's step (rpmsign), with the distributor's key.\n"
         "addFilter(\"no-signature\")\n";
}

std::string rpmChangelogDate(int64_t time) {
  // "Thu, 01 Jan 1970 …" rearranged.
  std::string full = rfc5322Date(time);
  return full.substr(0, 3) + " " + full.substr(8, 3) + " " + full.substr(5, 2) + " " +
         full.substr(12, full.find(' ', 12) - 12);
}

std::string rpmRecipe(const RpmRecipeParts& parts) {
  std::string recipe = header(parts);
  recipe += "\n%install\nmkdir -p %{buildroot}\ncp -a '" + parts.root + "'/. %{buildroot}/\n";
  recipe += files(parts);
  recipe += scripts(parts.layout);
  recipe += "\n%changelog\n* " + rpmChangelogDate(parts.date) + " " + maintainerOf(parts.options) + " - " +
          parts.layout.version + "-" + parts.layout.release + "\n- " + parts.options.name +
          " packaged with its launcher.\n";
  return recipe;
}

}  // namespace kvx::bundle
