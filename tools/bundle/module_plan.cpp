#include "module_plan.h"

#include <algorithm>
#include <set>

#include "app_format/app_layout.h"
#include "java_version.h"
#include "module_options.h"
#include "platform/paths.h"
#include "refusal.h"

namespace kvx::bundle {
namespace {

constexpr int kFirstModularClassFile = 53;  // Java 9

const ModuleFile* findModule(const std::vector<ModuleFile>& modules, const std::string& name) {
  auto found = std::find_if(modules.begin(), modules.end(), [&](const ModuleFile& m) { return m.name == name; });
  return found == modules.end() ? nullptr : &*found;
}

std::string moduleList(const std::vector<ModuleFile>& modules) {
  std::string list;
  for (const ModuleFile& module : modules) list += (list.empty() ? "" : ", ") + module.name;
  return list.empty() ? "none" : list;
}

bool chooseMainClass(const std::string& mainModule, const ModuleFile& module, ModulePlan& plan, std::string* error) {
  size_t slash = mainModule.find('/');
  if (slash != std::string::npos) {
    plan.mainClass = mainModule.substr(slash + 1);
  } else if (module.mainClass) {
    plan.mainClass = *module.mainClass;
  } else if (module.isExplicit) {
    return fail(error, "--module " + mainModule + ": " + module.path +
                           " names no main class (jar --main-class); give it as --module " + mainModule + "/CLASS");
  } else {
    plan.mainClass = mainModule;
  }
  return true;
}

// Files brought from outside the input share one folder, so their names must differ.
bool checkFolderNames(const std::vector<ModuleFile>& modules, std::string* error) {
  std::set<std::string> names;
  for (const ModuleFile& module : modules) {
    if (module.inInput) continue;
    std::string name = platform::lastPathComponent(module.path);
    if (!names.insert(name).second) {
      return fail(error, "--module-path: two modules from outside the input are both called " + name);
    }
    if (name.find(':') != std::string::npos) {
      return fail(error, "--module-path: " + module.path + ": a file whose name holds \":\" cannot stand on a module path");
    }
  }
  return true;
}

}  // namespace

std::string placeInTree(const ModuleFile& module) {
  if (module.inInput) return *module.inInput;
  return std::string(app_layout::kModulesFolder) + "/" + platform::lastPathComponent(module.path);
}

std::optional<ModulePlan> planModules(const BundleOptions& options, const std::vector<std::string>& inputJars,
                                      std::string* error) {
  ModulePlan plan;
  plan.mainModule = *options.module;
  std::optional<std::vector<ModuleFile>> modules =
      findModules(options.input, modulePathEntries(options.modulePath), error);
  if (!modules) return std::nullopt;
  plan.modules = std::move(*modules);
  std::string name = moduleNameOf(plan.mainModule);
  const ModuleFile* main = findModule(plan.modules, name);
  if (!main) {
    *error = "--module " + plan.mainModule + ": no module " + name + " on --module-path (it holds: " +
             moduleList(plan.modules) + ")";
    return std::nullopt;
  }
  if (!chooseMainClass(plan.mainModule, *main, plan, error) || !checkFolderNames(plan.modules, error)) {
    return std::nullopt;
  }
  plan.minimumJava = javaVersionForClassFile(std::max(main->classFileMajor, kFirstModularClassFile));
  plan.linked = options.runtime == RuntimeSource::Jlink &&
                std::all_of(plan.modules.begin(), plan.modules.end(), [](const ModuleFile& m) { return m.isExplicit; });
  std::set<std::string> moduleJars;
  for (const ModuleFile& module : plan.modules) {
    if (module.inInput) moduleJars.insert(*module.inInput);
  }
  for (const std::string& jar : inputJars) {
    if (!moduleJars.contains(jar)) plan.classPathJars.push_back(jar);
  }
  // Only what the runtime will load: JavaFX's web module alone brings 80 MB.
  if (!findJavafxLibraries(resolvedModules(plan.modules, name), &plan.javafx, error)) return std::nullopt;
  return plan;
}

}  // namespace kvx::bundle
