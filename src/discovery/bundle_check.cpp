// The check of one runtime bundle: its version, its processor, the
// pre-release rule and the configured range.
#include <vector>

#include "base/exception.h"
#include "base/java_version.h"
#include "discovery/runtime_search.h"
#include "discovery/version_strings.h"
#include "discovery/version_tokens.h"
#include "image/executable_architectures.h"
#include "java_runtime/runtime_bundle.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

// A string of the runtime's information dictionary; a value of another type
// raises PlatformException.
OptString bundleString(const platform::Bundle& bundle, std::string_view key) {
  return plist::stringValue(bundle.infoValue(key), key);
}

struct RuntimeStrings {
  OptString version, evar, info;
};

// The runtime's version, "EvarVersion" and "CFBundleGetInfoString"; nullopt,
// with the reason in *why, when a value of the wrong type keeps them from
// being read.
std::optional<RuntimeStrings> readRuntimeStrings(const platform::Bundle& bundle, bool plugin, std::string* why) {
  RuntimeStrings strings;
  strings.version = java_runtime::jvmVersion(bundle, why);
  if (!why->empty()) return std::nullopt;
  try {
    if (plugin && !strings.version) strings.version = bundleString(bundle, "CFBundleVersion");
    strings.evar = bundleString(bundle, "EvarVersion");
    strings.info = bundleString(bundle, "CFBundleGetInfoString");
  } catch (const PlatformException& e) {
    *why = e.reason();
    return std::nullopt;
  }
  return strings;
}

// The pre-release candidate among the version, "EvarVersion" and
// "CFBundleGetInfoString", in that order.
const OptString* betaMatch(const OptString& version, const OptString& evar, const OptString& info) {
  for (const OptString* text : {&version, &evar, &info}) {
    if (version::isBetaVersion(*text)) return text;
  }
  return nullptr;
}

// A plug-in names 1.8.0_202 as 1.8.202.08: judged as 1, 8, 0, 202.
void rearrangePluginVersion(StringList& list) {
  if (list.size() == 4 && list[0] == "1" && list[2] != "0") list = {list[0], list[1], "0", list[2]};
}

// The candidate under test: its bundle, else the path that gave none.
std::string candidateName(const RuntimeChoice& choice) {
  if (choice.javaBundle) return choice.javaBundle->path();
  return plist::describe(choice.javaBundlePath);
}

// Why a version outside the range was refused, in the words a person
// checking the configuration looks for.
void traceOutOfRange(const std::string& path, const std::string& version, bool minOK, bool maxOK,
                     const OptString& minVersion, const OptString& maxVersion) {
  if (!minOK) {
    KVX_TRACE("refused %@: version %@ below minimum %@", path.c_str(),
              version.c_str(), plist::describe(minVersion).c_str());
  }
  if (!maxOK) {
    KVX_TRACE("refused %@: version %@ above maximum %@", path.c_str(),
              version.c_str(), plist::describe(maxVersion).c_str());
  }
}

}  // namespace

OptString RuntimeSearch::checkJavaVersion(const OptString& minVersion, const OptString& maxVersion,
                                          bool allowBeta, bool plugin) {
  const std::shared_ptr<platform::Bundle>& javaBundle = candidate_.javaBundle;
  if (!javaBundle) {
    KVX_TRACE("refused %@: not a directory", candidateName(candidate_).c_str());
    return checkBundleVersion(minVersion, maxVersion, allowBeta, plugin, std::nullopt, std::nullopt,
                              std::nullopt);
  }
  // A runtime whose information dictionary holds values of the wrong type
  // cannot be judged: it is rejected like any other, and the search goes on.
  std::string why;
  std::optional<RuntimeStrings> strings = readRuntimeStrings(*javaBundle, plugin, &why);
  if (!strings) {
    KVX_TRACE("unreadable runtime information %@: %@", javaBundle->path().c_str(), why.c_str());
    return std::nullopt;
  }
  if (!checkArchitecture(javaBundle.get())) return std::nullopt;
  return checkBundleVersion(minVersion, maxVersion, allowBeta, plugin, strings->version, strings->evar,
                            strings->info);
}

OptString RuntimeSearch::checkBundleVersion(const OptString& minVersion, const OptString& maxVersion,
                                            bool allowBeta, bool plugin, const OptString& bundleVersion,
                                            const OptString& evarVersion, const OptString& infoString) {
  OptString result;
  int32_t major = -1;
  if (bundleVersion) {
    const OptString* beta = allowBeta ? nullptr : betaMatch(bundleVersion, evarVersion, infoString);
    if (beta) {
      KVX_TRACE("beta not allowed %@", (*beta)->c_str());
      KVX_TRACE("refused %@: pre-release not allowed", candidateName(candidate_).c_str());
    } else {
      StringList list = version::splitComponents(*bundleVersion);
      if (plugin) rearrangePluginVersion(list);
      KVX_TRACE("comparing3 %@ %@ %@ %@", bundleVersion->c_str(), plist::describe(list).c_str(),
                plist::describe(minVersion).c_str(), plist::describe(maxVersion).c_str());
      bool minOK = version::compareVersion(minVersion, list, false);
      bool maxOK = version::compareVersion(maxVersion, list, true);
      KVX_TRACE("comparing4 %d %d", minOK ? 1 : 0, maxOK ? 1 : 0);
      if (minOK && maxOK) {
        result = bundleVersion->substr(0, bundleVersion->find_first_of("_+"));
        // A version that names no major version has always counted as 0 here,
        // and the version-specific option ranges read it so.
        major = javaMajorVersion(*bundleVersion).value_or(0);
      } else if (traceEnabled()) {
        traceOutOfRange(candidateName(candidate_), *bundleVersion, minOK, maxOK, minVersion, maxVersion);
      }
    }
  } else if (candidate_.javaBundle) {
    KVX_TRACE("refused %@: no version in its Info.plist", candidateName(candidate_).c_str());
  }
  if (result) {
    candidate_.javaVersion = bundleVersion;
    candidate_.javaMajorVersion = major;
  }
  KVX_TRACE("check returned %s", result ? result->c_str() : "(null)");
  return result;
}

bool checkArchitecture(const platform::Bundle* bundle) {
  std::optional<std::vector<int32_t>> archs =
      bundle ? bundle->executableArchitectures() : std::nullopt;
  int32_t required = image::launcherCpuType();
  if (traceEnabled()) {
    OptString described;
    if (archs) {
      StringList numbers;
      for (int32_t a : *archs) numbers.push_back(std::to_string(a));
      described = plist::describe(numbers);
    }
    KVX_TRACE("checking architectures %d %@", required, plist::describe(described).c_str());
  }
  const char* path = bundle ? bundle->path().c_str() : "(null)";
  if (!archs) {
    KVX_TRACE("refused %@: no executable that can be read", path);
    return false;
  }
  bool found = false;
  for (int32_t a : *archs) found = found || a == required;
  if (!found) KVX_TRACE("refused %@: executable holds no code for this processor", path);
  return found;
}

OptString getJavaMinVersion(const RunState& run) {
  return run.configString(config::kMinVersion);
}

}  // namespace kvx
