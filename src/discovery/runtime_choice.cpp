// Which runtime a launch uses: one handed over by an authorisation restart,
// one named with "-jvm=", one shipped with the application, else the first
// acceptable one along the configured search sequence.
#include <cstdlib>

#include "discovery/runtime_home.h"
#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "unpack/unpacker.h"

namespace kvx {
namespace {

struct Limits {
  OptString minVersion;
  OptString maxVersion;
  bool allowBeta = false;
};

Limits configuredLimits() {
  return {plist::stringValue(configValue("kvx.minVersion"), "kvx.minVersion"),
          plist::stringValue(configValue("kvx.maxVersion"), "kvx.maxVersion"),
          getBooleanValue(s_infoDictionary, "kvx.allowBeta")};
}

bool runtimeFound(const Launcher& launcher) {
  return launcher.javaBundle != nullptr || launchJavaVersion != nullptr;
}

// The unpack step failed: tell an unwritable directory from a failed tool
// run, then end the process; the runtime cannot be used half unpacked.
[[noreturn]] void reportUnpackFailure(const std::string& home) {
  std::string probe = platform::joinPath(home, "_kvx_testdir");
  if (platform::fileExists(probe) || !platform::createDirectory(probe)) {
    Launcher::displayError("NonWritablePackDir");
  } else {
    if (!platform::removeDirectory(probe)) KVX_TRACE("could not remove _kvx_testdir");
    Launcher::displayError("torqa.InternalError", std::string("could not run unpack200"));
  }
  std::exit(1);
}

}  // namespace

OptString Launcher::findOverrideJvm() {
  StringList options;
  addPredefinedOptions(plist::stringArrayValue(javaVMValue("VMOptionArray"), "VMOptionArray"),
                       options, std::string());
  if (s_guiLauncher && s_launcherDirAndName) {
    readOptionsFile(*s_launcherDirAndName + ".app/Contents/vmoptions.txt", options, std::string());
  }
  if (s_launcherDirAndName) readOptionsFile(*s_launcherDirAndName + ".vmoptions", options, std::string());
  StringList ignoredArguments;
  addCommandLineParameters(options, ignoredArguments);
  for (auto it = options.rbegin(); it != options.rend(); ++it) {
    if (it->rfind("-jvm=", 0) == 0) return it->substr(5);
  }
  return std::nullopt;
}

// Only when no runtime was handed over: the "-jvm=" override, then a runtime
// bundle inside the application bundle.
void Launcher::findOverrideOrBundledRuntime(const OptString& minVersion, const OptString& maxVersion,
                                            bool allowBeta) {
  if (OptString override = findOverrideJvm()) {
    KVX_TRACE("JVM override: %@", override->c_str());
    findDirectoryJavaBundle(override, minVersion, maxVersion, allowBeta);
    if (!javaBundle) KVX_TRACE("No suitable JVM bundle found at: %@", override->c_str());
  }
  if (javaBundle || !s_mainBundlePath) return;
  for (const char* place : {"Contents/Resources/jre.bundle", "Contents/PlugIns/jre.bundle"}) {
    javaBundlePath = platform::joinPath(*s_mainBundlePath, place);
    if (platform::fileExists(*javaBundlePath)) javaBundle = platform::Bundle::open(*javaBundlePath);
    if (javaBundle) return;
    KVX_TRACE("no runtime shipped at %@", javaBundlePath->c_str());
  }
}

// A runtime in the application root: a bundle, else a plain runtime home.
void Launcher::findRuntimeInAppRoot() {
  std::string root = s_appRootDir.value_or(std::string());
  javaBundlePath = platform::joinPath(root, ".kestrovel/jre.bundle");
  if (platform::isDirectory(*javaBundlePath)) {
    javaBundle = platform::Bundle::open(*javaBundlePath);
    if (javaBundle) return;
  }
  KVX_TRACE("no runtime shipped at %@", javaBundlePath->c_str());
  javaBundlePath = platform::joinPath(root, ".kestrovel/jre");
  if (platform::isDirectory(*javaBundlePath)) {
    launchJavaVersion = kUnknownJavaVersion;
  } else {
    KVX_TRACE("no runtime shipped at %@", javaBundlePath->c_str());
  }
}

// A runtime that comes with the application is taken as it is (no limits),
// but its packed jars are expanded first.
void Launcher::prepareShippedRuntime() {
  if (launchJavaVersion == nullptr) {
    launchJavaVersion = checkJavaVersion(std::nullopt, std::nullopt, true, false);
  }
  std::string home = javaBundle ? runtimeHomeOf(*javaBundlePath) : *javaBundlePath;
  KVX_TRACE("Running unpacker on %@", home.c_str());
  bool ok = Unpacker::unpack(platform::joinPath(home, "jre"), Unpacker::Progress()) &&
            Unpacker::unpack(home, Unpacker::Progress());
  if (!ok) reportUnpackFailure(home);
}

void Launcher::searchSequence(const OptString& minVersion, const OptString& maxVersion, bool allowBeta) {
  std::optional<StringList> sequence =
      plist::stringArrayValue(javaVMValue("SearchSequence"), "SearchSequence");
  KVX_TRACE("search sequence %@", plist::describe(javaVMValue("SearchSequence")).c_str());
  if (!sequence) {
    findPublicJavaBundle(minVersion, maxVersion, allowBeta);
    return;
  }
  for (const std::string& entry : *sequence) {
    if (!entry.empty()) {
      OptString argument = replaceVariables(entry.substr(1));
      switch (entry[0]) {
        case 'E': {
          KVX_TRACE("checking environment variable %@", argument->c_str());
          OptString value = platform::getEnv(argument->c_str());
          if (!value) KVX_TRACE("environment variable %@ is not set", argument->c_str());
          findDirectoryJavaBundle(value, minVersion, maxVersion, allowBeta);
          break;
        }
        case 'I':
          KVX_TRACE("checking previous installations");
          findJavaPreviousInstallation(s_infoDictionary, minVersion, maxVersion, allowBeta);
          break;
        case 'R':
          KVX_TRACE("checking directory %@", argument->c_str());
          findDirectoryJavaBundle(argument, minVersion, maxVersion, allowBeta);
          break;
        case 'Y':
          KVX_TRACE("checking standard locations");
          findPublicJavaBundle(minVersion, maxVersion, allowBeta);
          break;
        default:
          KVX_TRACE("search entry %@ names no kind of place (E, I, R or Y)", entry.c_str());
          break;
      }
    }
    if (runtimeFound(*this)) return;
  }
}

OptString Launcher::findJavaBundle() {
  launchJavaVersion = nullptr;
  javaBundle = nullptr;
  pluginUsed = false;
  javaBundlePath = std::nullopt;
  Limits limits = configuredLimits();

  const StringList& arguments = platform::processArguments();
  if (arguments.size() >= 3 && arguments[1] == "__kvx_auth_restart") {
    javaBundlePath = arguments[2];
    javaBundle = platform::Bundle::open(arguments[2]);
    KVX_TRACE("authorization restart with %@ %@", arguments[2].c_str(),
              javaBundle ? javaBundle->path().c_str() : "(null)");
  } else {
    findOverrideOrBundledRuntime(limits.minVersion, limits.maxVersion, limits.allowBeta);
  }
  if (!javaBundle) findRuntimeInAppRoot();

  if (runtimeFound(*this)) {
    prepareShippedRuntime();
  } else {
    searchSequence(limits.minVersion, limits.maxVersion, limits.allowBeta);
  }
  if (launchJavaVersion == nullptr) {
    javaBundlePath = std::nullopt;
    KVX_TRACE("no runtime accepted: minimum %@, maximum %@, pre-releases %s",
              plist::describe(limits.minVersion).c_str(), plist::describe(limits.maxVersion).c_str(),
              limits.allowBeta ? "allowed" : "refused");
  }
  return javaBundlePath;
}

}  // namespace kvx
