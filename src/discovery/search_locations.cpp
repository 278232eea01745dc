// The places a runtime is searched in: one given directory, the runtimes of
// earlier installations, and the system's standard locations.
#include "app_format/app_layout.h"
#include "base/text.h"
#include "discovery/runtime_order.h"
#include "discovery/runtime_search.h"
#include "discovery/version_tokens.h"
#include "java_runtime/runtime_bundle.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/user_defaults.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

constexpr const char* kInstallationsSuite = "com.kestrovel.installations";
constexpr const char* kInstallationsKey = "/com/kestrovel/installations/";

// Installers write this store; an entry of another type than string is
// treated as missing rather than ending the launch.
OptString storeString(const plist::Value& store, const std::string& key) {
  const plist::Value* value = store.get(key);
  if (value && value->isString()) return value->str();
  return std::nullopt;
}

std::string previousInstallationRuntime(const plist::Value& store, const std::string& appId,
                                        const std::string& dir) {
  OptString name = storeString(store, "singleBundleName" + appId + "_" + dir);
  if (!name) return dir + "/" + app_layout::kRuntimeBundle;
  std::string bundle = dir + "/" + *name + "/";
  std::string path = bundle + app_layout::kBundleRuntimeInResources;
  if (platform::fileExists(path)) return path;
  return bundle + app_layout::kBundleRuntimeInPlugIns;
}

void traceRuntimeOrder(const std::vector<RuntimeEntry>& entries) {
  StringList names, versions;
  for (const RuntimeEntry& entry : entries) {
    names.push_back(entry.name);
    versions.push_back(entry.name + " " + entry.version.value_or("(no version)"));
  }
  KVX_TRACE("JDKs %@", plist::describe(names).c_str());
  KVX_TRACE("runtime order with versions %@", plist::describe(versions).c_str());
}

bool isOraclePlugin(const OptString& ident, const OptString& info) {
  return (ident && ident->starts_with("com.oracle")) ||
         (info && info->find("Oracle") != std::string::npos);
}

}  // namespace

// Every location tries its candidates the same way.
void RuntimeSearch::tryCandidate(const std::string& path, const OptString& minVersion,
                                 const OptString& maxVersion, bool allowBeta) {
  openCandidate(path);
  accepted_ = checkJavaVersion(minVersion, maxVersion, allowBeta, /*plugin=*/false);
  if (!accepted_) candidate_.javaBundle.reset();
}

void RuntimeSearch::findDirectoryJavaBundle(const OptString& directory, const OptString& minVersion,
                                       const OptString& maxVersion, bool allowBeta) {
  if (!directory) return;
  candidate_.javaBundlePath = replaceVariables(directory);
  if (!candidate_.javaBundlePath || !platform::fileExists(*candidate_.javaBundlePath)) {
    KVX_TRACE("nothing at %@", plist::describe(candidate_.javaBundlePath).c_str());
    return;
  }
  tryCandidate(*candidate_.javaBundlePath, minVersion, maxVersion, allowBeta);
}

void RuntimeSearch::findJavaPreviousInstallation(const OptString& minVersion,
                                            const OptString& maxVersion, bool allowBeta) {
  OptString appId = run_.configString(config::kAppId);
  platform::UserDefaults& defaults = run_.userDefaults;
  defaults.addSuiteNamed(kInstallationsSuite);
  std::optional<plist::Value> store = defaults.dictionaryForKey(kInstallationsKey);
  KVX_TRACE("%@", plist::describe(store ? &*store : nullptr).c_str());
  if (!appId) {
    KVX_TRACE("no kvx.appId configured: earlier installations are not looked up");
    return;
  }
  if (!store) return;
  OptString dirs = storeString(*store, "allinstdirs" + *appId);
  if (!dirs) {
    KVX_TRACE("no earlier installations recorded for %@", appId->c_str());
    return;
  }
  for (std::string_view piece : splitAt(*dirs, ';')) {
    const std::string dir(piece);
    std::string path = previousInstallationRuntime(*store, *appId, dir);
    candidate_.javaBundlePath = path;
    KVX_TRACE("checking %@", path.c_str());
    if (!platform::fileExists(path)) {
      KVX_TRACE("nothing at %@", path.c_str());
      continue;
    }
    tryCandidate(path, minVersion, maxVersion, allowBeta);
    if (accepted_) return;
  }
}

void RuntimeSearch::findPublicJavaBundle(const OptString& minVersion, const OptString& maxVersion,
                                    bool allowBeta) {
  findBrowserPlugin(minVersion, maxVersion, allowBeta);
  if (!candidate_.javaBundle) findSystemRuntime(minVersion, maxVersion, allowBeta);
}

void RuntimeSearch::findBrowserPlugin(const OptString& minVersion, const OptString& maxVersion, bool allowBeta) {
  const std::string& plugin = roots_.pluginPath;
  if (platform::fileExists(plugin) &&
      platform::fileExists(platform::joinPath(plugin, "Contents/Home/bin/java"))) {
    candidate_.javaBundle = java_runtime::openRuntimeBundle(plugin);
    if (candidate_.javaBundle) {
      const plist::Value* infoValue = candidate_.javaBundle->infoValue("CFBundleGetInfoString");
      const plist::Value* identValue = candidate_.javaBundle->infoValue("CFBundleIdentifier");
      OptString info = infoValue && infoValue->isString() ? OptString(infoValue->str()) : std::nullopt;
      OptString ident = identValue && identValue->isString() ? OptString(identValue->str()) : std::nullopt;
      KVX_TRACE("JRE %@ %@ %@", plugin.c_str(), plist::describe(info).c_str(),
                plist::describe(ident).c_str());
      if (isOraclePlugin(ident, info)) {
        KVX_TRACE("Oracle JRE %@", plugin.c_str());
        accepted_ = checkJavaVersion(minVersion, maxVersion, allowBeta, /*plugin=*/true);
      } else {
        KVX_TRACE("refused %@: not an Oracle plug-in", plugin.c_str());
      }
      if (accepted_) {
        candidate_.javaBundlePath = plugin;
        candidate_.pluginUsed = true;
      } else {
        candidate_.javaBundle.reset();
      }
    }
  }
}

void RuntimeSearch::findSystemRuntime(const OptString& minVersion, const OptString& maxVersion, bool allowBeta) {
  const std::string& directory = roots_.systemRuntimeDirectory;
  std::optional<std::vector<platform::DirectoryEntry>> listing = platform::listDirectoryEntries(directory);
  if (!listing) {
    KVX_TRACE("cannot list the runtime directory %@", directory.c_str());
    return;
  }
  std::vector<RuntimeEntry> entries = runtimeEntriesNewestFirst(directory, std::move(*listing));
  if (traceEnabled()) traceRuntimeOrder(entries);
  for (const RuntimeEntry& entry : entries) {
    std::string path = platform::pathWithComponents({directory, entry.name});
    KVX_TRACE("checking %@", path.c_str());
    tryCandidate(path, minVersion, maxVersion, allowBeta);
    if (accepted_) return;
  }
}

}  // namespace kvx
