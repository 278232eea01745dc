#include "module_files.h"

#include <algorithm>

#include "app_format/app_layout.h"
#include "platform/file_creation.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace kvx::bundle {
namespace {

bool copyInto(const StagingArea& staging, const std::string& folder, const std::string& from, const std::string& name,
              std::string* error) {
  if (!platform::createDirectories(staging.place(folder), error)) return false;
  return platform::copyNewFile(from, staging.place(platform::joinPath(folder, name)), error);
}

}  // namespace

bool bringsModuleFiles(const ModulePlan& modules) {
  if (modules.javafx && !modules.javafx->files.empty()) return true;
  return !modules.linked && std::any_of(modules.modules.begin(), modules.modules.end(),
                                        [](const ModuleFile& module) { return !module.inInput; });
}

bool copyModuleFiles(const ModulePlan& modules, const StagingArea& staging, const std::string& inputCopy,
                     std::string* error) {
  if (!modules.linked) {
    std::string folder = platform::joinPath(inputCopy, app_layout::kModulesFolder);
    for (const ModuleFile& module : modules.modules) {
      if (module.inInput) continue;
      if (!copyInto(staging, folder, module.path, platform::lastPathComponent(module.path), error)) return false;
    }
  }
  if (modules.javafx) {
    std::string folder = platform::joinPath(inputCopy, app_layout::kNativeFolder);
    for (const std::string& file : modules.javafx->files) {
      if (!copyInto(staging, folder, platform::joinPath(modules.javafx->directory, file), file, error)) return false;
    }
  }
  return true;
}

std::vector<std::string> absoluteModulePaths(const ModulePlan& modules) {
  std::vector<std::string> paths;
  for (const ModuleFile& module : modules.modules) {
    paths.push_back(platform::absolutePath(module.path).value_or(module.path));
  }
  return paths;
}

}  // namespace kvx::bundle
