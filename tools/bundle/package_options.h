// What a packager asks for when the application is to be handed out as a
// system package (--type deb or rpm) rather than as a tree.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::bundle {

struct BundleOptions;

enum class PackageFormat { None, Deb, Rpm };

struct PackageOptions {
  PackageFormat format = PackageFormat::None;
  bool cliTree = false;                      // --package-tree cli: a command on PATH, no menu entry
  std::optional<std::string> installDir;     // default /opt/<package name>
  std::optional<std::string> packageName;    // default the --name in lower case
  std::optional<std::string> release;        // default 1
  std::optional<std::string> maintainer;     // an e-mail address
  std::optional<std::string> copyright;
  std::optional<std::string> licenseFile;
  std::optional<std::string> licenseType;    // rpm's License:, default "Unknown"
  std::optional<std::string> aboutUrl;
  std::vector<std::string> extraDepends;
  std::optional<std::string> menuGroup;      // the desktop entry's Categories
  std::optional<std::string> appCategory;    // Debian's Section, rpm's Group
  bool shortcut = false;                     // --linux-shortcut: a menu entry for a cli tree too
};

// The checks a package needs beyond a tree's, once all options are read:
// package options without a package type, a package name or version the
// format refuses, an install directory that is not a plain absolute path,
// a .deb without a maintainer to write to, a license file that is missing.
// Also settles the tree inside the package (options.type). False with one
// line in *error.
bool checkPackageOptions(BundleOptions& options, std::string* error);

// The package's name: --linux-package-name, else --name in lower case with
// anything a package name may not hold made "-".
std::string packageNameOf(const BundleOptions& options);
// --app-version, else "1.0".
std::string packageVersionOf(const BundleOptions& options);
std::string packageReleaseOf(const BundleOptions& options);
// Where the application's tree is installed: --install-dir, else /opt/<package>.
std::string installDirOf(const BundleOptions& options);

}  // namespace kvx::bundle
