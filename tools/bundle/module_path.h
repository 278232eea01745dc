// The modules of an application's --module-path, found the way the runtime's
// module finder would find them: a directory stands for the modular jars and
// jmod files in it, a file for itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::bundle {

struct ModuleFile {
  std::string path;                    // where kvx-bundle reads it
  std::optional<std::string> inInput;  // relative to the input, when it lies there
  std::string name;                    // the module's name
  bool isExplicit = false;             // declares itself (module-info.class); else automatic
  std::optional<std::string> mainClass;
  std::vector<std::string> requiredModules;  // the modules an explicit one requires
  int classFileMajor = 0;              // of its module-info.class; 0 for an automatic module
};

// The modules the runtime resolves when it starts the module named root:
// those it requires, directly or not, and once an automatic module is among
// them every automatic module (each reads all the others); in the order of
// modules.
std::vector<ModuleFile> resolvedModules(const std::vector<ModuleFile>& modules, const std::string& root);

// Splits each --module-path value at ":" into entries.
std::vector<std::string> modulePathEntries(const std::vector<std::string>& values);

// The modules of entries, each absolute or relative to input, in the order a
// module finder takes them (a directory's files in byte order); where two
// share a name the first counts, as it does for the runtime. nullopt with
// one line in *error, naming the entry, when an entry does not exist, is not
// a jar, jmod or directory, holds no module, or a jar cannot be read.
std::optional<std::vector<ModuleFile>> findModules(const std::string& input, const std::vector<std::string>& entries,
                                                   std::string* error);

// The name the runtime gives a jar without a declaration: its manifest's
// Automatic-Module-Name, else its file name without ".jar" and a version
// ("-1.2"), every run of other characters than letters and digits one ".".
std::string automaticModuleName(const std::string& fileName, const std::optional<std::string>& manifestName);

}  // namespace kvx::bundle
