// What a compiled module declaration (module-info.class) says about its
// module: the name, the main class, and the release the file needs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::bundle {

struct ModuleInfo {
  std::string name;
  std::optional<std::string> mainClass;  // the ModuleMainClass attribute, with dots
  std::vector<std::string> requiredModules;  // the modules it requires, java.base included
  int classFileMajor = 0;
};

// The declaration in bytes, or nullopt when they are not a class file that
// declares a module (cut short, another kind of class, a bad constant).
std::optional<ModuleInfo> readModuleInfo(std::string_view bytes);

}  // namespace kvx::bundle
