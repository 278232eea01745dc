#include "package_options.h"

#include <algorithm>
#include <string_view>

#include "bundle_options.h"
#include "platform/files.h"
#include "refusal.h"

namespace kvx::bundle {
namespace {

bool onlyOf(std::string_view text, std::string_view allowed) {
  return std::all_of(text.begin(), text.end(), [&](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || allowed.find(c) != std::string_view::npos;
  });
}

constexpr std::string_view kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Both formats take these: Debian's rules for a name are the stricter, and
// a version without "-", which both use to join the release.
bool validPackageName(const std::string& name) {
  return name.size() >= 2 && onlyOf(name.substr(0, 1), "") && onlyOf(name, "+.-");
}

bool validVersion(const std::string& version) {
  return !version.empty() && version[0] >= '0' && version[0] <= '9' &&
         onlyOf(version, std::string(kUpper) + ".+~");
}

// A path the maintainer scripts, the desktop entry's Exec line and rpm's
// file list can all name without quoting.
bool plainAbsoluteDirectory(const std::string& path) {
  if (path.size() < 2 || path[0] != '/' || path.back() == '/') return false;
  if (!onlyOf(path, std::string(kUpper) + "/._+-")) return false;
  return path.find("//") == std::string::npos && path.find("/./") == std::string::npos &&
         path.find("/../") == std::string::npos && !path.ends_with("/.") && !path.ends_with("/..");
}

bool looksLikeMailAddress(const std::string& address) {
  size_t at = address.find('@');
  return at != std::string::npos && at > 0 && at + 1 < address.size() && address.find('@', at + 1) == std::string::npos &&
         address.find_first_of(" <>,\"") == std::string::npos;
}

// Options that mean something only in a package, named for the refusal.
bool refuseWithoutPackage(const BundleOptions& o, std::string* error) {
  const PackageOptions& p = o.package;
  std::pair<bool, const char*> given[] = {
      {p.cliTree, "--package-tree"},         {p.installDir.has_value(), "--install-dir"},
      {p.packageName.has_value(), "--linux-package-name"}, {p.release.has_value(), "--linux-app-release"},
      {p.maintainer.has_value(), "--linux-deb-maintainer"}, {p.copyright.has_value(), "--copyright"},
      {p.licenseFile.has_value(), "--license-file"},  {p.licenseType.has_value(), "--linux-rpm-license-type"},
      {p.aboutUrl.has_value(), "--about-url"},       {!p.extraDepends.empty(), "--linux-package-deps"},
      {p.menuGroup.has_value(), "--linux-menu-group"}, {p.appCategory.has_value(), "--linux-app-category"},
      {p.shortcut, "--linux-shortcut"},
  };
  for (auto [isGiven, name] : given) {
    if (isGiven) return fail(error, std::string(name) + " goes only with --type deb or --type rpm");
  }
  return true;
}

bool checkNames(const BundleOptions& o, std::string* error) {
  std::string name = packageNameOf(o);
  if (!validPackageName(name)) {
    return fail(error, "package name \"" + name +
                           "\": two or more of a-z, 0-9, \"+\", \"-\", \".\", beginning with a letter or digit "
                           "(give one with --linux-package-name)");
  }
  if (!validVersion(packageVersionOf(o))) {
    return fail(error, "--app-version \"" + packageVersionOf(o) +
                           "\": a package's version begins with a digit and holds only letters, digits, "
                           "\".\", \"+\" and \"~\"");
  }
  std::string release = packageReleaseOf(o);
  if (release.empty() || !onlyOf(release, std::string(kUpper) + ".+~")) {
    return fail(error, "--linux-app-release \"" + release + "\": only letters, digits, \".\", \"+\" and \"~\"");
  }
  return true;
}

bool checkDetails(const BundleOptions& o, std::string* error) {
  const PackageOptions& p = o.package;
  if (!plainAbsoluteDirectory(installDirOf(o))) {
    return fail(error, "--install-dir \"" + installDirOf(o) +
                           "\": an absolute path of letters, digits, \"/\", \".\", \"_\", \"+\" and \"-\"");
  }
  if (p.format == PackageFormat::Deb && !p.maintainer) {
    return fail(error, "--type deb needs --linux-deb-maintainer ADDRESS: a Debian package names whom to write to");
  }
  if (p.maintainer && !looksLikeMailAddress(*p.maintainer)) {
    return fail(error, "--linux-deb-maintainer \"" + *p.maintainer + "\": an e-mail address such as me@example.com");
  }
  if (p.aboutUrl && !p.aboutUrl->starts_with("https://") && !p.aboutUrl->starts_with("http://")) {
    return fail(error, "--about-url \"" + *p.aboutUrl + "\": an http:// or https:// address");
  }
  if (p.menuGroup && !onlyOf(*p.menuGroup, std::string(kUpper) + ";-")) {
    return fail(error, "--linux-menu-group \"" + *p.menuGroup + "\": menu categories such as Development;Java;");
  }
  if (p.appCategory && (p.appCategory->empty() || !onlyOf(*p.appCategory, std::string(kUpper) + "/-"))) {
    return fail(error, "--linux-app-category \"" + *p.appCategory + "\": a section such as java, utils or misc");
  }
  if (p.licenseFile && !platform::readFile(*p.licenseFile, 1 << 20)) {
    return fail(error, "--license-file " + *p.licenseFile + ": cannot be read (a text file up to 1 MB)");
  }
  return true;
}

}  // namespace

bool checkPackageOptions(BundleOptions& options, std::string* error) {
  if (options.package.format == PackageFormat::None) return refuseWithoutPackage(options, error);
  options.type = options.package.cliTree ? BundleType::Cli : BundleType::App;
  if (options.package.shortcut && !options.package.cliTree) {
    return fail(error, "--linux-shortcut puts a command-line tree into the menu (with --package-tree cli); a window "
                       "application's package always has its menu entry");
  }
  return checkNames(options, error) && checkDetails(options, error);
}

std::string packageNameOf(const BundleOptions& options) {
  if (options.package.packageName) return *options.package.packageName;
  std::string name = options.name;
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!onlyOf(std::string_view(&c, 1), "+.-")) c = '-';
  }
  return name;
}

std::string packageVersionOf(const BundleOptions& options) { return options.appVersion.value_or("1.0"); }

std::string packageReleaseOf(const BundleOptions& options) { return options.package.release.value_or("1"); }

std::string installDirOf(const BundleOptions& options) {
  return options.package.installDir.value_or("/opt/" + packageNameOf(options));
}

}  // namespace kvx::bundle
