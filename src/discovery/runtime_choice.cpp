#include "app_format/app_layout.h"
#include "app_format/message_keys.h"
#include "base/exception.h"
#include "discovery/runtime_search.h"
#include "java_runtime/runtime_bundle.h"
#include "java_runtime/runtime_layout.h"
#include "params/java_parameters.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "run/diagnostic_log.h"
#include "run/variables.h"
#include "unpack/unpacker.h"

namespace kvx {
namespace {

struct Limits {
  OptString minVersion;
  OptString maxVersion;
  bool allowBeta = false;
};

Limits configuredLimits(const RunState& run) {
  return {getJavaMinVersion(run),
          run.configString(config::kMaxVersion),
          run.configFlag(config::kAllowBeta)};
}

// The launch version of a plain runtime home in the application root: it is
// taken without a check, so nothing is known of its version.
constexpr const char* kUnknownJavaVersion = "1.7.0";

// The unpack step failed: tell an unwritable directory from a failed tool
// run. The start ends there; the runtime cannot be used half unpacked. Two
// starts failing at once take turns, or one would find the other's probe
// and call a writable directory unwritable.
[[noreturn]] void reportUnpackFailure(const std::string& home) {
  std::optional<platform::FileLock> turn = Unpacker::takeTurn(home);
  std::string probe = platform::joinPath(home, "_kvx_testdir");
  if (platform::fileExists(probe) || !platform::createDirectory(probe)) {
    throw MessageError(kNonWritablePackDirKey);
  }
  if (!platform::removeDirectory(probe)) KVX_TRACE("could not remove _kvx_testdir");
  throw MessageError(kInternalErrorKey, std::string("could not run unpack200"));
}

}  // namespace

// The runtime is checked now but loaded, and named to the application, after
// the parameters have changed into the working directory: a relative path
// is made absolute first, so that both name the same runtime.
void RuntimeSearch::openCandidate(const std::string& path) {
  OptString anchored = platform::absolutePath(path);
  candidate_.javaBundlePath = anchored.value_or(path);
  candidate_.javaBundle = anchored ? java_runtime::openRuntimeBundle(*anchored) : nullptr;
  if (!anchored) KVX_TRACE("refused %@: the current directory it is relative to cannot be told", path.c_str());
}

OptString RuntimeSearch::replaceVariables(const OptString& text) const {
  return kvx::replaceVariables(run_, candidate_.javaBundlePath, text);
}

OptString RuntimeSearch::findOverrideJvm() {
  StringList options;
  JavaParameters parameters(run_, candidate_);
  parameters.addOptionSources(options, std::string(), /*withVersionOptions=*/false);
  StringList ignoredArguments;
  parameters.addCommandLineParameters(options, ignoredArguments);
  for (auto it = options.rbegin(); it != options.rend(); ++it) {
    if (it->rfind("-jvm=", 0) == 0) return it->substr(5);
  }
  return std::nullopt;
}

// Only when no runtime was handed over: the "-jvm=" override, then a runtime
// bundle inside the application bundle.
void RuntimeSearch::findOverrideOrBundledRuntime(const OptString& minVersion, const OptString& maxVersion,
                                            bool allowBeta) {
  if (OptString override = findOverrideJvm()) {
    KVX_TRACE("JVM override: %@", override->c_str());
    findDirectoryJavaBundle(override, minVersion, maxVersion, allowBeta);
    if (!candidate_.javaBundle) KVX_TRACE("No suitable JVM bundle found at: %@", override->c_str());
  }
  if (candidate_.javaBundle || !run_.mainBundlePath) return;
  for (const char* place : {app_layout::kBundleRuntimeInResources, app_layout::kBundleRuntimeInPlugIns}) {
    const std::string path = platform::joinPath(*run_.mainBundlePath, place);
    candidate_.javaBundlePath = path;
    if (platform::fileExists(path)) candidate_.javaBundle = java_runtime::openRuntimeBundle(path);
    if (candidate_.javaBundle) return;
    KVX_TRACE("no runtime shipped at %@", path.c_str());
  }
}

// A runtime in the application root: a bundle, else a plain runtime home.
void RuntimeSearch::findRuntimeInAppRoot() {
  // Without an application root there is nothing to look in; the current
  // directory is no stand-in for it.
  if (!run_.appRootDir) {
    KVX_TRACE("no application root to look for a shipped runtime in");
    return;
  }
  const std::string& root = *run_.appRootDir;
  std::string bundlePath = platform::joinPath(root, app_layout::kRuntimeBundle);
  candidate_.javaBundlePath = bundlePath;
  if (platform::isDirectory(bundlePath)) {
    candidate_.javaBundle = java_runtime::openRuntimeBundle(bundlePath);
    if (candidate_.javaBundle) return;
  }
  KVX_TRACE("no runtime shipped at %@", bundlePath.c_str());
  std::string homePath = platform::joinPath(root, app_layout::kRuntimeHome);
  candidate_.javaBundlePath = homePath;
  if (platform::isDirectory(homePath)) {
    accepted_ = kUnknownJavaVersion;
  } else {
    KVX_TRACE("no runtime shipped at %@", homePath.c_str());
  }
}

// A runtime that comes with the application is taken as it is (no limits),
// but its packed jars are expanded first.
void RuntimeSearch::prepareShippedRuntime() {
  if (!accepted_) accepted_ = checkJavaVersion(std::nullopt, std::nullopt, true, false);
  const std::string& path = *candidate_.javaBundlePath;
  std::string home = candidate_.javaBundle ? java_runtime::runtimeHome(path) : path;
  KVX_TRACE("Running unpacker on %@", home.c_str());
  bool ok = Unpacker::unpack(platform::joinPath(home, "jre")) && Unpacker::unpack(home);
  if (!ok) reportUnpackFailure(home);
}

void RuntimeSearch::searchSequence(const OptString& minVersion, const OptString& maxVersion, bool allowBeta) {
  std::optional<StringList> sequence = run_.configStrings(config::kSearchSequence);
  KVX_TRACE("search sequence %@", plist::describe(run_.configValue(config::kSearchSequence)).c_str());
  if (!sequence) {
    findPublicJavaBundle(minVersion, maxVersion, allowBeta);
    return;
  }
  for (const std::string& entry : *sequence) {
    if (!entry.empty()) searchEntry(entry, minVersion, maxVersion, allowBeta);
    if (runtimeFound()) return;
  }
}

void RuntimeSearch::searchEntry(const std::string& entry, const OptString& minVersion, const OptString& maxVersion,
                                bool allowBeta) {
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
      findJavaPreviousInstallation(minVersion, maxVersion, allowBeta);
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

std::optional<RuntimeChoice> RuntimeSearch::findJavaBundle() {
  candidate_ = RuntimeChoice();
  accepted_.reset();
  Limits limits = configuredLimits(run_);

  const StringList& arguments = run_.arguments;
  if (arguments.size() >= 3 && arguments[1] == "__kvx_auth_restart") {
    openCandidate(arguments[2]);
    KVX_TRACE("authorization restart with %@ %@", arguments[2].c_str(),
              candidate_.javaBundle ? candidate_.javaBundle->path().c_str() : "(null)");
  } else {
    findOverrideOrBundledRuntime(limits.minVersion, limits.maxVersion, limits.allowBeta);
  }
  if (!candidate_.javaBundle) findRuntimeInAppRoot();

  if (runtimeFound()) {
    prepareShippedRuntime();
  } else {
    searchSequence(limits.minVersion, limits.maxVersion, limits.allowBeta);
  }
  if (!accepted_) {
    KVX_TRACE("no runtime accepted: minimum %@, maximum %@, pre-releases %s",
              plist::describe(limits.minVersion).c_str(), plist::describe(limits.maxVersion).c_str(),
              limits.allowBeta ? "allowed" : "refused");
    return std::nullopt;
  }
  RuntimeChoice chosen = candidate_;
  chosen.launchVersion = *accepted_;
  return chosen;
}

}  // namespace kvx
