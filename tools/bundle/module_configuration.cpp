#include "module_configuration.h"

#include "app_format/app_layout.h"
#include "configuration_entry.h"

namespace kvx::bundle {

void addModuleKeys(plist::Dictionary& javaVM, std::vector<std::string>& vmOptions, const BundleLayout& layout,
                   const ModulePlan& modules) {
  if (!modules.classPathJars.empty()) {
    addEntry(javaVM, config::kClassPath, plist::Value::string(pathList(layout.classPathBase, modules.classPathJars)));
  }
  if (!modules.linked) {
    std::vector<std::string> files;
    for (const ModuleFile& module : modules.modules) files.push_back(placeInTree(module));
    addEntry(javaVM, config::kModulePath, plist::Value::string(pathList(layout.classPathBase, files)));
  }
  if (modules.javafx) {
    vmOptions.insert(vmOptions.begin(), "-Djava.library.path=" + layout.classPathBase + "/" + app_layout::kNativeFolder);
  }
}

}  // namespace kvx::bundle
