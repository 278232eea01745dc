// The one object that carries a launch from the configuration to the running
// Java virtual machine. Its member functions are defined in the folder of the
// subsystem they belong to.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "launcher/globals.h"
#include "platform/bundle.h"
#include "plist/plist.h"

namespace kvx {

using OptString = std::optional<std::string>;
using StringList = std::vector<std::string>;

// Where the standard runtime locations are. The shipped launcher always uses
// the defaults; tests hand in others.
struct SearchRoots {
  std::string systemRuntimeDirectory = kSystemRuntimeDirectory;
  std::string pluginPath = "/Library/Internet Plug-Ins/JavaAppletPlugin.plugin";
  std::string pluginLibrary =
      "/Library/Internet Plug-Ins/JavaAppletPlugin.plugin/Contents/Home/lib/jli/libjli" kLibrarySuffix;
};

class Launcher {
 public:
  // A new object each call; it lives until the end of the run.
  static std::shared_ptr<Launcher> launcher();
  Launcher();
  // Fixes the process-wide paths; the bundle road takes them from mainBundle.
  Launcher& init(const platform::MainBundle& mainBundle);

  // Runtime choice.
  OptString findOverrideJvm();
  OptString findJavaBundle();
  void findJavaPreviousInstallation(const plist::Value* infoDictionary, const OptString& minVersion,
                                    const OptString& maxVersion, bool allowBeta);
  void findDirectoryJavaBundle(const OptString& directory, const OptString& minVersion,
                               const OptString& maxVersion, bool allowBeta);
  void findPublicJavaBundle(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);

  // Parameters.
  void readJavaParameters(StringList& options, OptString& mainClass, StringList& args,
                          bool* firstThread);
  void addCommandLineParameters(StringList& options, StringList& args);
  OptString resolveArtifactPath(const OptString& path);
  OptString addPredefinedOptions(const std::optional<StringList>& list, StringList& options,
                                 OptString classPath);
  OptString readOptionsFile(const OptString& path, StringList& options, OptString classPath);
  OptString replaceVariables(const OptString& text);

  // The runtime bundle check. The result is the accepted version, or null.
  char* checkJavaVersion(const OptString& minVersion, const OptString& maxVersion,
                               bool allowBeta, bool plugin);
  char* checkBundleVersion(const OptString& minVersion, const OptString& maxVersion,
                                 bool allowBeta, bool plugin, const OptString& bundleVersion,
                                 const OptString& evarVersion, const OptString& infoString);

  // Version strings.
  static bool isBetaVersion(const OptString& version);
  static int64_t typeOfCharacter(std::string_view text);
  static StringList splitVersionString(const OptString& version);
  static int64_t compareVersion(const OptString& a, const OptString& b);
  static std::string removeJrePrefix(const std::string& name);
  static bool compareVersion(const OptString& limit, const StringList& versionList, bool max);

  // Loading and launching.
  Launcher& load();
  int launch();

  // Messages.
  static void displayError(const std::string& key);
  static void displayError(const std::string& key, const OptString& info);
  static OptString getMessage(const std::string& key, const OptString& info1, const OptString& info2);
  static void displayError(const std::string& key, const OptString& info1, const OptString& info2);

  static OptString getJavaMinVersion();

  // Fields, in the order the behaviour lists them.
  std::shared_ptr<platform::Bundle> javaBundle;
  OptString javaBundlePath;
  OptString javaVersion;
  int32_t javaMajorVersion = -1;
  bool pluginUsed = false;
  int argc = 0;
  char** argv = nullptr;

  SearchRoots searchRoots;

 private:
  // The steps of findJavaBundle.
  void findOverrideOrBundledRuntime(const OptString& minVersion, const OptString& maxVersion,
                                    bool allowBeta);
  void findRuntimeInAppRoot();
  void prepareShippedRuntime();
  void searchSequence(const OptString& minVersion, const OptString& maxVersion, bool allowBeta);
};

bool getBooleanValue(const plist::Value* dictionary, std::string_view key);
bool checkArchitecture(const platform::Bundle* bundle);
bool mustCheckArchitecture();
bool isStartedWithoutBundle();

}  // namespace kvx
