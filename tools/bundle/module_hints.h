// Modules an application's jars reach only by name: through a facility
// that finds its implementation at run time (the system Java compiler, the
// zip file system), a class named in a string, or a service file. jdeps
// reads class references and cannot see them, so a runtime made from its
// findings lacks them, and the application fails only when it gets there.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace kvx::bundle {

struct ModuleReach {
  std::string module;  // jdk.compiler
  std::string clue;    // what was found: javax.tools.ToolProvider
  std::string jar;     // where, relative to the input: libs/tools.jar
};

// The modules the jars (relative to input) reach by name, each once, with
// the first jar and clue found for it, in the order of the known clues
// (module_hints.cpp). A jar that cannot be read is passed over: jdeps has
// read it already.
std::vector<ModuleReach> modulesReachedByName(const std::string& input, const std::vector<std::string>& jars);

// The reaches whose module the runtime lacks.
std::vector<ModuleReach> missingModules(const std::vector<ModuleReach>& reaches, const std::set<std::string>& runtimeModules);

// "jdk.compiler (javax.tools.ToolProvider in a.jar), …".
std::string describeReaches(const std::vector<ModuleReach>& reaches);

}  // namespace kvx::bundle
