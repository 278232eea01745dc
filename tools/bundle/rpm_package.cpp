#include "rpm_package.h"

#include <chrono>

#include "jdk_tool_run.h"
#include "library_depends.h"
#include "package_programs.h"
#include "platform/archive_tree.h"
#include "platform/file_creation.h"
#include "platform/paths.h"
#include "resource_overrides.h"
#include "rpm_recipe.h"

namespace kvx::bundle {
namespace {

std::vector<std::string> sharedLibraryNames(const std::string& root, const std::vector<std::string>& files) {
  std::vector<std::string> names;
  for (const std::string& file : elfFilesIn(root, files)) {
    std::string name = platform::lastPathComponent(file);
    if (name.find(".so") != std::string::npos) names.push_back(name);
  }
  return names;
}

std::vector<std::string> rpmbuildArguments(const RpmRequest& r, const std::string& recipe) {
  std::vector<std::string> arguments = {
      "-bb", "--quiet",
      "--define", "_topdir " + r.workDir,
      "--define", "_rpmdir " + platform::deletingLastPathComponent(r.output),
      "--define", "_build_name_fmt " + platform::lastPathComponent(r.output),
      "--define", "_tmppath " + r.workDir + "/tmp",
      // For a recipe of the packager's own (--resource-dir).
      "--define", "kvx_root " + r.root,
  };
  if (r.time) {
    for (const char* setting : {"_buildhost reproducible", "clamp_mtime_to_source_date_epoch 1",
                                "use_source_date_epoch_as_buildtime 1", "_source_date_epoch_from_changelog 0"}) {
      arguments.insert(arguments.end(), {"--define", setting});
    }
  }
  arguments.push_back(recipe);
  return arguments;
}

}  // namespace

bool packRpm(const RpmRequest& r, const StepLog& log, const platform::InterruptionGuard* interruptions,
             std::string* error) {
  std::optional<std::string> rpmbuild = findPackagingProgram("rpmbuild", "rpm", error);
  if (!rpmbuild) return false;
  std::optional<platform::ArchiveTree> tree = platform::prepareArchiveTree(r.root, r.time, error, true);
  if (!tree || !platform::createDirectories(r.workDir + "/tmp", error)) return false;
  int64_t date = r.time.value_or(std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count());
  std::string recipe = platform::joinPath(r.workDir, r.layout.name + ".rpmbuild");
  RpmRecipeParts parts{r.options, r.layout, r.root, sharedLibraryNames(r.root, tree->files), date};
  std::optional<std::string> text =
      textOrOverride(r.options, r.options.name + ".rpmbuild", rpmRecipe(parts), log, error);
  if (!text || !platform::writeNewFile(recipe, *text, 0644, error)) return false;
  return runJdkTool("rpmbuild", *rpmbuild, rpmbuildArguments(r, recipe), log, {interruptions}, error).has_value();
}

}  // namespace kvx::bundle
