#include "module_options.h"

#include "refusal.h"

namespace kvx::bundle {

std::string moduleNameOf(const std::string& module) { return module.substr(0, module.find('/')); }

bool checkModuleOptions(const BundleOptions& options, std::string* error) {
  if (!options.module) {
    if (!options.modulePath.empty()) return fail(error, "--module-path goes only with --module, which names the module that starts");
    return true;
  }
  const std::string& module = *options.module;
  size_t slash = module.find('/');
  if (module.empty() || slash == 0 || slash + 1 == module.size() || module.find('/', slash + 1) != std::string::npos) {
    return fail(error, "--module \"" + module + "\": a module name, or NAME/CLASS (hello.app or hello.app/hello.Main)");
  }
  if (options.mainJar) {
    return fail(error, "--module and --main-jar exclude each other: a modular application starts from its module");
  }
  // A further launcher starts a class from the class path, which a module
  // linked into the runtime is not on.
  if (!options.addLauncherOptions.empty()) {
    return fail(error, "--add-launcher does not go with --module yet: a further launcher starts a main class "
                       "from the class path");
  }
  if (options.mainClass) {
    return fail(error, "--module and --main-class exclude each other: name the class as --module " + module +
                           "/CLASS");
  }
  return true;
}

}  // namespace kvx::bundle
