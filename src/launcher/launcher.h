// The one object that carries a launch from the configuration to the running
// Java virtual machine. The runtime search and the parameter assembly are
// layers of their own; the Launcher holds what they need (the start's
// RunState, the search roots) and leaves their outcome in its fields.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "discovery/runtime_search.h"
#include "params/java_parameters.h"
#include "run/run_state.h"
#include "run/runtime_choice.h"

namespace kvx {

class Launcher : public RuntimeChoice {
 public:
  // A new object each call, already initialised; it lives until the end of the road.
  static std::shared_ptr<Launcher> launcher(RunState& run);
  explicit Launcher(RunState& run) : run(run) {}
  // Fixes the launcher's paths on the run; the bundle road takes the
  // configuration and the paths from the run's main bundle first.
  Launcher& init();

  // The runtime choice.
  OptString findOverrideJvm() { return search().findOverrideJvm(); }
  OptString findJavaBundle() { return search().findJavaBundle(); }
  void findJavaPreviousInstallation(const plist::Value* infoDictionary, const OptString& minVersion,
                                    const OptString& maxVersion, bool allowBeta) {
    search().findJavaPreviousInstallation(infoDictionary, minVersion, maxVersion, allowBeta);
  }
  void findDirectoryJavaBundle(const OptString& directory, const OptString& minVersion,
                               const OptString& maxVersion, bool allowBeta) {
    search().findDirectoryJavaBundle(directory, minVersion, maxVersion, allowBeta);
  }
  void findPublicJavaBundle(const OptString& minVersion, const OptString& maxVersion, bool allowBeta) {
    search().findPublicJavaBundle(minVersion, maxVersion, allowBeta);
  }
  char* checkJavaVersion(const OptString& minVersion, const OptString& maxVersion, bool allowBeta,
                         bool plugin) {
    return search().checkJavaVersion(minVersion, maxVersion, allowBeta, plugin);
  }
  char* checkBundleVersion(const OptString& minVersion, const OptString& maxVersion, bool allowBeta,
                           bool plugin, const OptString& bundleVersion, const OptString& evarVersion,
                           const OptString& infoString) {
    return search().checkBundleVersion(minVersion, maxVersion, allowBeta, plugin, bundleVersion,
                                       evarVersion, infoString);
  }

  // The parameters.
  void readJavaParameters(StringList& options, OptString& mainClass, StringList& args,
                          bool* firstThread) {
    parameters().readJavaParameters(options, mainClass, args, firstThread);
  }
  void addCommandLineParameters(StringList& options, StringList& args) {
    parameters().addCommandLineParameters(options, args);
  }
  static OptString resolveArtifactPath(const OptString& path) {
    return JavaParameters::resolveArtifactPath(path);
  }
  OptString addPredefinedOptions(const std::optional<StringList>& list, StringList& options,
                                 OptString classPath) {
    return parameters().addPredefinedOptions(list, options, std::move(classPath));
  }
  OptString readOptionsFile(const OptString& path, StringList& options, OptString classPath) {
    return parameters().readOptionsFile(path, options, std::move(classPath));
  }
  OptString replaceVariables(const OptString& text) const;

  // Loading and launching.
  Launcher& load();
  int launch();

  // Fields after those of the runtime choice, in the order the behaviour lists them.
  int argc = 0;
  char** argv = nullptr;
  // Where the main class stands in argv. Only the entries before it may name
  // argument files, as with the java command: the program's own arguments
  // are handed on as given, whatever they begin with. Unset, every entry may.
  std::optional<int> mainClassEntry;

  RunState& run;
  SearchRoots searchRoots;

  // The layers the operations above are carried out by, on this launcher's
  // state.
  RuntimeSearch search() { return RuntimeSearch(run, *this, searchRoots); }
  JavaParameters parameters() const { return JavaParameters(run, *this); }
};

}  // namespace kvx
