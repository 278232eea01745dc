#include "module_configuration.h"

#include "app_format/app_layout.h"
#include "configuration_entry.h"

namespace kvx::bundle {
namespace {

std::string joinedPaths(const std::string& base, const std::vector<std::string>& files) {
  std::string path;
  for (const std::string& file : files) {
    if (!path.empty()) path += ':';
    path.append(base).append("/").append(file);
  }
  return path;
}

}  // namespace

void addModuleKeys(plist::Dictionary& javaVM, std::vector<std::string>& vmOptions, const BundleLayout& layout,
                   const ModulePlan& modules) {
  if (!modules.classPathJars.empty()) {
    addEntry(javaVM, config::kClassPath, plist::Value::string(joinedPaths(layout.classPathBase, modules.classPathJars)));
  }
  if (!modules.linked) {
    std::vector<std::string> files;
    for (const ModuleFile& module : modules.modules) files.push_back(placeInTree(module));
    addEntry(javaVM, config::kModulePath, plist::Value::string(joinedPaths(layout.classPathBase, files)));
  }
  if (modules.javafx) {
    vmOptions.insert(vmOptions.begin(), "-Djava.library.path=" + layout.classPathBase + "/" + app_layout::kNativeFolder);
  }
}

}  // namespace kvx::bundle
