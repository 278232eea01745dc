#include "package_build.h"

#include <chrono>

#include "deb_package.h"
#include "package_icon.h"
#include "package_layout.h"
#include "package_programs.h"
#include "package_root.h"
#include "platform/file_creation.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "rpm_package.h"
#include "package_extras.h"
#include "rpm_recipe.h"
#include "source_date_epoch.h"
#include "platform/directory_handle.h"
#include "platform/file_tree.h"

namespace kvx::bundle {
namespace {

// The format's tool, looked for before anything is made.
bool findPackTool(PackageFormat format, std::string* error) {
  if (!findPackagingProgram("strip", "binutils", error)) return false;
  if (format == PackageFormat::Deb) {
    return findPackagingProgram("dpkg-deb", "dpkg", error) &&
           findPackagingProgram("dpkg-shlibdeps", "dpkg-dev", error);
  }
  return findPackagingProgram("rpmbuild", "rpm", error).has_value();
}

// The packing tools run in folders of their own, so every path they are
// handed is absolute.
bool pack(const BundleOptions& options, const PackageLayout& layout, const std::string& work,
          std::optional<int64_t> time, const StepLog& log, const platform::InterruptionGuard* interruptions,
          std::string* error) {
  std::string output = platform::joinPath(work, layout.fileName);
  std::string root = platform::joinPath(work, "root");
  if (options.package.format == PackageFormat::Deb) {
    DebRequest request{options, layout, root, platform::joinPath(work, "shlibdeps"), output, time};
    return packDeb(request, log, interruptions, error);
  }
  RpmRequest request{options, layout, root, platform::joinPath(work, "rpmbuild"), output, time};
  return packRpm(request, log, interruptions, error);
}

// --temp, made when missing, else a new private folder of the temporary
// directory. Absolute either way: the packing tools run elsewhere.
std::optional<std::string> workFolder(const BundleOptions& options, std::string* error) {
  if (!options.temp) return platform::createPrivateTemporaryDirectory("kvx-bundle-", error);
  if (!platform::createDirectories(*options.temp, error)) return std::nullopt;
  std::optional<std::string> absolute = platform::absolutePath(*options.temp);
  if (!absolute) *error = "--temp " + *options.temp + ": cannot tell its absolute path";
  return absolute;
}

}  // namespace

std::optional<std::string> packageFileName(const BundleOptions& options, const std::string& stub,
                                           std::string* error) {
  std::optional<std::string> architecture = packageArchitecture(options.package.format, stub, error);
  if (!architecture) return std::nullopt;
  return packageLayoutFor(options, *architecture, 0).fileName;
}

// The finished package is copied into DEST under a hidden name and renamed
// into place only once whole, so a package never appears half written.
bool deliver(const std::string& made, const std::string& dest, const std::string& fileName, std::string* error) {
  if (!platform::createDirectories(dest, error)) return false;
  std::optional<platform::DirectoryHandle> destDirectory = platform::DirectoryHandle::open(dest, error);
  if (!destDirectory) return false;
  platform::FilePlace partial{*destDirectory, "." + fileName + ".partial"};
  if (!platform::copyNewFile(made, partial, error)) return false;
  if (platform::renameWithoutReplacing(partial, {*destDirectory, fileName}, error)) return true;
  std::string ignored;
  platform::removeTree(partial, &ignored);
  return false;
}

// The package, and for an .rpm the rpmlint filters that go with it.
bool deliverAll(const std::string& work, const PackageLayout& layout, const std::string& dest, bool shipsRuntime,
                std::string* error) {
  if (!deliver(platform::joinPath(work, layout.fileName), dest, layout.fileName, error)) return false;
  if (layout.lintFilters.empty()) return true;
  std::string filters = platform::joinPath(work, layout.lintFilters);
  return platform::writeNewFile(filters, rpmlintFilters(shipsRuntime), 0644, error) &&
         deliver(filters, dest, layout.lintFilters, error);
}

// The package is put together in a private folder of the temporary
// directory: the packing tools are handed paths, and paths there cannot be
// made to lead elsewhere by anyone else.
bool makePackage(const BundleOptions& options, const BundlePlan& plan, const StepLog& log,
                 const platform::InterruptionGuard* interruptions, std::string* error) {
  std::optional<int64_t> time;
  std::optional<std::string> architecture = packageArchitecture(options.package.format, plan.stub, error);
  int iconSize = options.icon ? themeIconSize(*options.icon, error) : 0;
  if (!readSourceDateEpoch(time, error) || !architecture || (options.icon && iconSize == 0) ||
      !findPackTool(options.package.format, error)) {
    return false;
  }
  PackageLayout layout = packageLayoutFor(options, *architecture, iconSize);
  if (!placeDocumentsAndLaunchers(options, layout, error)) return false;
  std::optional<std::string> work = workFolder(options, error);
  if (!work) return false;
  log.note("building in " + *work);
  int64_t date = time.value_or(std::chrono::duration_cast<std::chrono::seconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
  PackageRootRequest root{options, plan, layout, platform::joinPath(*work, "root"), date};
  bool made = platform::createDirectories(root.root, error) && fillPackageRoot(root, log, interruptions, error) &&
              pack(options, layout, *work, time, log, interruptions, error) &&
              deliverAll(*work, layout, options.dest, options.runtime != RuntimeSource::None, error);
  if (options.temp) {
    if (!made) *error += " (what was made stays in " + *work + ")";
    log.note("kept the work folder " + *work);
    if (made) log.note("made " + plan.target);
    return made;
  }
  std::string reason;
  if (!platform::removeTree(*work, &reason)) {
    *error = made ? "made " + plan.target + ", but its work folder stays: " + reason
                  : *error + "; what was made could not be removed: " + reason;
    return false;
  }
  if (made) log.note("made " + plan.target);
  return made;
}

}  // namespace kvx::bundle
