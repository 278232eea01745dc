#include "deb_package.h"

#include "deb_control.h"
#include "jdk_tool_run.h"
#include "library_depends.h"
#include "package_extras.h"
#include "package_programs.h"
#include "package_scripts.h"
#include "platform/archive_tree.h"
#include "platform/file_creation.h"
#include "platform/paths.h"
#include "resource_overrides.h"
#include "service_scripts.h"
#include "service_unit.h"

namespace kvx::bundle {
namespace {

bool writeScripts(const DebRequest& r, const std::string& debian, const StepLog& log, std::string* error) {
  bool entry = !r.layout.desktopEntry.empty();
  bool icon = shipsThemeIcons(r.layout);
  std::string unit = r.layout.serviceUnit.empty() ? "" : serviceUnitName(r.layout);
  auto service = [&](std::string (*commands)(const std::string&)) { return unit.empty() ? "" : commands(unit); };
  std::pair<const char*, std::string> scripts[] = {
      {"postinst", scriptWith(debPostinst(entry, icon), service(debServicePostinst))},
      {"prerm", scriptWith("", service(debServicePrerm))},
      {"postrm", scriptWith(debPostrm(entry, icon), service(debServicePostrm))},
  };
  for (const auto& [name, generated] : scripts) {
    std::optional<std::string> text = textOrOverride(r.options, name, generated, log, error);
    if (!text) return false;
    if (!text->empty() && !platform::writeNewFile(platform::joinPath(debian, name), *text, 0755, error)) return false;
  }
  return true;
}

}  // namespace

bool packDeb(const DebRequest& r, const StepLog& log, const platform::InterruptionGuard* interruptions,
             std::string* error) {
  std::optional<std::string> dpkgDeb = findPackagingProgram("dpkg-deb", "dpkg", error);
  if (!dpkgDeb) return false;
  std::string debian = platform::joinPath(r.root, "DEBIAN");
  if (!platform::createDirectories(debian, error)) return false;
  std::optional<platform::ArchiveTree> tree = platform::prepareArchiveTree(r.root, r.time, error);
  if (!tree) return false;
  std::optional<std::vector<std::string>> depends =
      debLibraryDepends(r.root, elfFilesIn(r.root, tree->files), r.workDir, log, interruptions, error);
  if (!depends) return false;
  depends->insert(depends->end(), r.options.package.extraDepends.begin(), r.options.package.extraDepends.end());
  std::optional<std::string> control =
      textOrOverride(r.options, "control", debControl(r.options, r.layout, *depends, tree->kibibytes), log, error);
  if (!control || !platform::writeNewFile(platform::joinPath(debian, "control"), *control, 0644, error) ||
      !writeScripts(r, debian, log, error) || !platform::prepareArchiveTree(debian, r.time, error)) {
    return false;
  }
  return runJdkTool("dpkg-deb", *dpkgDeb, {"--root-owner-group", "-Zxz", "--build", r.root, r.output}, log,
                    {interruptions}, error)
      .has_value();
}

}  // namespace kvx::bundle
