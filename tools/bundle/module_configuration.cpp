#include "module_configuration.h"

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
    javaVM.emplace_back("ClassPath", plist::Value::string(joinedPaths(layout.classPathBase, modules.classPathJars)));
  }
  if (!modules.linked) {
    std::vector<std::string> files;
    for (const ModuleFile& module : modules.modules) files.push_back(placeInTree(module));
    javaVM.emplace_back("ModulePath", plist::Value::string(joinedPaths(layout.classPathBase, files)));
  }
  if (modules.javafx) {
    vmOptions.insert(vmOptions.begin(), "-Djava.library.path=" + layout.classPathBase + "/" + kNativeFolder);
  }
}

}  // namespace kvx::bundle
