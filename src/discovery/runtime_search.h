// Which runtime a start uses: one handed over by an authorisation restart,
// one named with "-jvm=", one shipped with the application, else the first
// acceptable one along the configured search sequence. The outcome is left
// in a RuntimeChoice and in launchJavaVersion.
#pragma once

#include <string>

#include "platform/runtime_names.h"
#include "run/run_state.h"
#include "run/runtime_choice.h"

namespace kvx {

// Where the standard runtime locations are. The shipped launcher always uses
// the defaults; tests hand in others.
struct SearchRoots {
  std::string systemRuntimeDirectory = kSystemRuntimeDirectory;
  std::string pluginPath = "/Library/Internet Plug-Ins/JavaAppletPlugin.plugin";
  std::string pluginLibrary =
      "/Library/Internet Plug-Ins/JavaAppletPlugin.plugin/Contents/Home/lib/jli/libjli" kLibrarySuffix;
};

class RuntimeSearch {
 public:
  RuntimeSearch(const RunState& run, RuntimeChoice& choice, const SearchRoots& roots)
      : run_(run), choice_(choice), roots_(roots) {}

  // The whole search; the chosen runtime's path, or absent. A shipped
  // runtime whose packed jars cannot be expanded raises MessageError.
  OptString findJavaBundle();
  // The last "-jvm=" among the option sources and the command line.
  OptString findOverrideJvm();

  // The search locations; each leaves its outcome in the choice.
  void findJavaPreviousInstallation(const plist::Value* infoDictionary, const OptString& minVersion,
                                    const OptString& maxVersion, bool allowBeta);
  void findDirectoryJavaBundle(const OptString& directory, const OptString& minVersion,
                               const OptString& maxVersion, bool allowBeta);
  void findPublicJavaBundle(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);

  // The runtime bundle check of the candidate in the choice. The result is
  // the accepted version, which lives until the process ends, or null.
  char* checkJavaVersion(const OptString& minVersion, const OptString& maxVersion, bool allowBeta,
                         bool plugin);
  char* checkBundleVersion(const OptString& minVersion, const OptString& maxVersion, bool allowBeta,
                           bool plugin, const OptString& bundleVersion, const OptString& evarVersion,
                           const OptString& infoString);

 private:
  // The steps of findJavaBundle.
  void findOverrideOrBundledRuntime(const OptString& minVersion, const OptString& maxVersion,
                                    bool allowBeta);
  void findRuntimeInAppRoot();
  void prepareShippedRuntime();
  void searchSequence(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);
  // Takes path as the candidate: its bundle, and the path it is loaded by.
  void openCandidate(const std::string& path);
  void tryCandidate(const std::string& path, const OptString& minVersion, const OptString& maxVersion,
                    bool allowBeta);
  OptString replaceVariables(const OptString& text) const;

  const RunState& run_;
  RuntimeChoice& choice_;
  const SearchRoots& roots_;
};

// Whether the runtime's executable holds code for this processor.
bool checkArchitecture(const platform::Bundle* bundle);
bool mustCheckArchitecture();

// The configured minimum version ("kvx.minVersion").
OptString getJavaMinVersion(const RunState& run);

}  // namespace kvx
