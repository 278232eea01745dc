#include "package_root.h"

#include "bundle_build.h"
#include "jdk_tool_run.h"
#include "library_depends.h"
#include "package_programs.h"
#include "platform/archive_tree.h"
#include "package_desktop.h"
#include "package_documents.h"
#include "package_extras.h"
#include "platform/file_creation.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "resource_overrides.h"
#include "service_unit.h"
#include "staging_area.h"

namespace kvx::bundle {
namespace {

struct Root {
  const PackageRootRequest& request;
  const StepLog& log;
  const platform::InterruptionGuard* interruptions;
  std::string* error;

  std::string at(const std::string& relative) const { return platform::joinPath(request.root, relative); }
  bool write(const std::string& relative, const std::string& text) const {
    return platform::createDirectories(platform::deletingLastPathComponent(at(relative)), error) &&
           platform::writeNewFile(at(relative), text, 0644, error);
  }
};

bool buildTree(const Root& r) {
  // The tree's place is absolute; inside the root it is relative.
  std::string place = r.request.layout.tree.substr(1);
  std::optional<StagingArea> tree = StagingArea::create(r.at(platform::deletingLastPathComponent(place)),
                                                        platform::lastPathComponent(place), r.error);
  return tree && buildBundle(r.request.options, r.request.plan, *tree, r.log, r.interruptions, r.error) &&
         tree->commit(r.error);
}

// Debian's rule, and half the size: a JDK's libraries and the launcher as
// built carry symbol tables no user needs. Only symbols are taken out; the
// launcher's configuration note is an allocated section and stays.
bool stripBinaries(const Root& r) {
  std::string installRoot = r.at(r.request.layout.installDir.substr(1));
  std::optional<platform::ArchiveTree> tree = platform::prepareArchiveTree(installRoot, std::nullopt, r.error);
  if (!tree) return false;
  std::vector<std::string> arguments = {"--strip-unneeded", "--remove-section=.comment"};
  for (const std::string& file : elfFilesIn(installRoot, tree->files)) {
    arguments.push_back(platform::joinPath(installRoot, file));
  }
  if (arguments.size() == 2) return true;
  std::optional<std::string> strip = findPackagingProgram("strip", "binutils", r.error);
  return strip && runJdkTool("strip", *strip, arguments, r.log, {r.interruptions}, r.error).has_value();
}

bool addDesktopEntry(const Root& r) {
  const PackageLayout& layout = r.request.layout;
  if (layout.desktopEntry.empty()) return true;
  if (!layout.icon.empty()) {
    if (!platform::createDirectories(platform::deletingLastPathComponent(r.at(layout.icon)), r.error) ||
        !platform::copyNewFile(*r.request.options.icon, r.at(layout.icon), r.error)) {
      return false;
    }
  }
  const BundleOptions& options = r.request.options;
  std::optional<std::string> entry =
      textOrOverride(options, options.name + ".desktop",
                     packagedDesktopEntry(options, layout, r.request.plan.main.mainClass), r.log, r.error);
  return entry && r.write(layout.desktopEntry, *entry);
}

bool addServiceUnit(const Root& r) {
  const PackageLayout& layout = r.request.layout;
  if (layout.serviceUnit.empty()) return true;
  const BundleOptions& options = r.request.options;
  std::optional<std::string> unit =
      textOrOverride(options, options.name + ".service", serviceUnit(options, layout), r.log, r.error);
  return unit && r.write(layout.serviceUnit, *unit);
}

// An absolute link: /usr and the install directory may lie on different
// file systems, and either may be a link itself.
bool addCommand(const Root& r) {
  const PackageLayout& layout = r.request.layout;
  if (layout.command.empty()) return true;
  return platform::createDirectories(platform::deletingLastPathComponent(r.at(layout.command)), r.error) &&
         platform::createSymbolicLink(layout.executable, r.at(layout.command), r.error);
}

bool addDocumentsAndLaunchers(const Root& r) { return addDocumentsAndLaunchersToRoot(r.request, r.error); }

bool addDocuments(const Root& r) {
  const BundleOptions& options = r.request.options;
  const PackageLayout& layout = r.request.layout;
  std::optional<std::string> license;
  if (options.package.licenseFile) {
    std::string reason;
    license = platform::readFile(*options.package.licenseFile, 1 << 20, &reason);
    if (!license) {
      *r.error = "--license-file " + *options.package.licenseFile + ": " + reason;
      return false;
    }
  }
  if (!r.write(layout.docDir + "/copyright", copyrightText(options, license))) return false;
  if (options.package.format != PackageFormat::Deb) return true;
  // Debian keeps a package's history compressed, without a name or a time
  // in the header, so that the same history gives the same bytes.
  std::string changelog = layout.docDir + "/changelog.Debian";
  if (!r.write(changelog, debChangelog(options, layout, r.request.date))) return false;
  if (!runJdkTool("gzip", "/bin/gzip", {"-9n", r.at(changelog)}, r.log, {r.interruptions}, r.error)) return false;
  // Debian's own packages stay out of /opt; an application installed whole,
  // with its own runtime, belongs there.
  return r.write("usr/share/lintian/overrides/" + layout.name, layout.name + ": dir-or-file-in-opt *\n");
}

}  // namespace

bool fillPackageRoot(const PackageRootRequest& request, const StepLog& log,
                     const platform::InterruptionGuard* interruptions, std::string* error) {
  Root r{request, log, interruptions, error};
  for (bool (*step)(const Root&) : {&buildTree, &stripBinaries, &addDesktopEntry, &addServiceUnit, &addCommand,
                                     &addDocumentsAndLaunchers, &addDocuments}) {
    if (!step(r)) return false;
    if (interruptions && interruptions->heldSignal() != 0) {
      *error = "interrupted by " + platform::signalName(interruptions->heldSignal());
      return false;
    }
  }
  return true;
}

}  // namespace kvx::bundle
