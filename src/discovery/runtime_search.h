// Which runtime a start uses: one handed over by an authorisation restart,
// one named with "-jvm=", one shipped with the application, else the first
// acceptable one along the configured search sequence. The search returns
// the runtime it chose; nothing of it is kept anywhere else.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "java_runtime/runtime_names.h"
#include "run/run_state.h"
#include "run/runtime_choice.h"

namespace kvx {

// Where the standard runtime locations are. The shipped launcher always uses
// the defaults; tests hand in others.
struct SearchRoots {
  std::string systemRuntimeDirectory = kSystemRuntimeDirectory;
  std::string pluginPath = "/Library/Internet Plug-Ins/JavaAppletPlugin.plugin";
  std::string pluginLibrary =
      std::string("/Library/Internet Plug-Ins/JavaAppletPlugin.plugin/Contents/Home/lib/jli/") + kLaunchLibraryName;
};

class RuntimeSearch {
 public:
  RuntimeSearch(const RunState& run, SearchRoots roots) : run_(run), roots_(std::move(roots)) {}

  // The whole search: the chosen runtime, or nullopt when none is
  // acceptable. A shipped runtime whose packed jars cannot be expanded
  // raises MessageError.
  std::optional<RuntimeChoice> findJavaBundle();
  // The last "-jvm=" among the option sources and the command line.
  OptString findOverrideJvm();

  // The search locations. Each tries its candidates in turn until one is
  // accepted; the last one tried stays the candidate.
  void findJavaPreviousInstallation(const OptString& minVersion,
                                    const OptString& maxVersion, bool allowBeta);
  void findDirectoryJavaBundle(const OptString& directory, const OptString& minVersion,
                               const OptString& maxVersion, bool allowBeta);
  void findPublicJavaBundle(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);

  // The runtime bundle check of the candidate. The result is the accepted
  // version as JLI_Launch is handed it, or nullopt.
  OptString checkJavaVersion(const OptString& minVersion, const OptString& maxVersion, bool allowBeta,
                             bool plugin);
  OptString checkBundleVersion(const OptString& minVersion, const OptString& maxVersion, bool allowBeta,
                               bool plugin, const OptString& bundleVersion, const OptString& evarVersion,
                               const OptString& infoString);

  // Takes path as the candidate: its bundle, and the path it is loaded by.
  void openCandidate(const std::string& path);
  // The runtime under test, and what it is known as so far.
  const RuntimeChoice& candidate() const { return candidate_; }
  // The launch version of the accepted candidate; nullopt while none is accepted.
  const OptString& acceptedVersion() const { return accepted_; }

 private:
  // The steps of findJavaBundle.
  void findOverrideOrBundledRuntime(const OptString& minVersion, const OptString& maxVersion,
                                    bool allowBeta);
  void findRuntimeInAppRoot();
  void prepareShippedRuntime();
  void searchSequence(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);
  // One entry of the search sequence: its kind letter, then its argument.
  void searchEntry(const std::string& entry, const OptString& minVersion, const OptString& maxVersion,
                   bool allowBeta);
  // The two standard locations: the browser plug-in, then the system's runtimes.
  void findBrowserPlugin(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);
  void findSystemRuntime(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);
  bool runtimeFound() const { return candidate_.javaBundle != nullptr || accepted_.has_value(); }
  void tryCandidate(const std::string& path, const OptString& minVersion, const OptString& maxVersion,
                    bool allowBeta);
  OptString replaceVariables(const OptString& text) const;

  const RunState& run_;
  const SearchRoots roots_;
  RuntimeChoice candidate_;
  OptString accepted_;
};

// Whether the runtime's executable holds code for this processor.
bool checkArchitecture(const platform::Bundle* bundle);

// The configured minimum version ("kvx.minVersion").
OptString getJavaMinVersion(const RunState& run);

}  // namespace kvx
