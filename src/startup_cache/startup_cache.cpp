#include "startup_cache/startup_cache.h"

#include <memory>

#include "platform/file_lock.h"
#include "platform/file_status.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "run/diagnostic_log.h"
#include "startup_cache/cache_completion.h"
#include "startup_cache/cache_folder.h"
#include "startup_cache/cache_key.h"
#include "startup_cache/cache_mode.h"
#include "startup_cache/launch_options.h"
#include "startup_cache/runtime_identity.h"

namespace kvx {
namespace {

// Room the runtime needs to write a cache and, for an ahead-of-time cache,
// the configuration beside it; a runtime that cannot finish writing its
// archive ends the process with an error.
constexpr uint64_t kSpaceNeeded = 512ULL * 1024 * 1024;

// What a start knows once it has settled that a cache may be used or made.
struct CachePlan {
  CacheMode mode = CacheMode::None;
  RuntimeIdentity runtime;
  std::string key;
  std::string folder;
};

StringList variableOptions() {
  StringList options;
  for (const char* name : {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS"}) {
    std::optional<std::string> value = platform::getEnv(name);
    if (!value) continue;
    for (std::string& option : splitVariableOptions(*value)) options.push_back(std::move(option));
  }
  return options;
}

std::optional<std::string> keyFor(const RuntimeIdentity& runtime, const StringList& options,
                                  const StringList& fromVariables, const std::string& mainClass,
                                  std::string* why) {
  CacheKeyInputs inputs{runtime,
                        effectiveClassPath(options, platform::getEnv("CLASSPATH")),
                        modulePath(options),
                        bootClassPathAppends(options),
                        mainClass,
                        keyedOptions(options),
                        fromVariables};
  std::optional<StringList> lines = cacheKeyLines(inputs, why);
  if (!lines) return std::nullopt;
  return cacheKeyName(*lines);
}

std::optional<CachePlan> planCache(const RunState& run, const RuntimeChoice& runtime,
                                   const StringList& options, const std::string& mainClass,
                                   std::string* why) {
  CachePlan plan;
  std::optional<RuntimeIdentity> identity = identifyRuntime(runtime, why);
  if (!identity) return std::nullopt;
  plan.runtime = *identity;
  plan.mode = cacheModeFor(identity->majorVersion);
  if (plan.mode == CacheMode::None) {
    *why = "the runtime's version " + identity->version + " has no cache the launcher uses";
    return std::nullopt;
  }
  StringList fromVariables = variableOptions();
  if (std::optional<std::string> deciding = decidingOption(options, fromVariables)) {
    *why = "the options decide class-data sharing themselves: " + *deciding;
    return std::nullopt;
  }
  std::optional<std::string> file = argumentFileOption(options);
  if (!file) file = argumentFileOption(fromVariables);
  if (file) {
    *why = "the option " + *file + " reads options the launcher does not see";
    return std::nullopt;
  }
  std::optional<std::string> key = keyFor(plan.runtime, options, fromVariables, mainClass, why);
  std::optional<std::string> folderName = key ? applicationFolderName(run, why) : std::nullopt;
  if (!folderName) return std::nullopt;
  plan.key = *key;
  plan.folder = applicationCacheFolder(*folderName);
  if (!platform::createDirectoryPath(plan.folder, why)) return std::nullopt;
  return plan;
}

StringList joined(StringList first, const StringList& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// The folder must take the runtime's file, or the runtime would end the
// start with an error when it writes it.
bool canWriteInFolder(const CachePlan& plan, const std::string& written, std::string* why) {
  if (!platform::createNewFile(written, why)) return false;
  platform::removeFile(written);
  std::optional<uint64_t> space = platform::availableSpace(plan.folder);
  if (space && *space < kSpaceNeeded) {
    *why = "less than 512 MiB free in " + plan.folder;
    return false;
  }
  return true;
}

std::unique_ptr<CacheCompletion> prepareCompletion(const CachePlan& plan, const StringList& options,
                                                   std::string* why) {
  auto completion = std::make_unique<CacheCompletion>();
  completion->mode = plan.mode;
  completion->folder = plan.folder;
  completion->key = plan.key;
  completion->writtenFile = platform::joinPath(
      plan.folder, makingFileName(plan.key, platform::currentProcessId(), writtenSuffix(plan.mode)));
  if (plan.mode != CacheMode::AheadOfTime) return completion;

  completion->javaProgram = platform::joinPath(plan.runtime.home, "bin/java");
  std::optional<platform::FileStatus> java = platform::fileStatus(completion->javaProgram);
  if (!java || !java->isRegular()) {
    *why = "the runtime has no " + completion->javaProgram + " to assemble the cache with";
    return nullptr;
  }
  // The assembly run must see the application's class path and options;
  // a splash screen it must not show.
  for (const std::string& option : options) {
    if (!option.starts_with("-splash:")) completion->applicationOptions.push_back(option);
  }
  return completion;
}

StringList makeCache(const CachePlan& plan, const StringList& names, const StringList& options) {
  std::string why;
  bool heldElsewhere = false;
  std::optional<platform::FileLock> lock = platform::FileLock::tryExclusive(
      platform::joinPath(plan.folder, std::string(kLockFileName)), &why, &heldElsewhere);
  if (!lock) {
    if (heldElsewhere) why = "another start is making one (" + why + ")";
    KVX_TRACE("startup cache: none; %@", why.c_str());
    return {};
  }
  // The application's other caches go, and what killed starts left; only the
  // start that holds the lock removes, so nothing goes while it is written.
  for (const std::string& removed : removeCacheFiles(plan.folder, names)) {
    KVX_TRACE("startup cache: removed %@", removed.c_str());
  }
  std::unique_ptr<CacheCompletion> completion = prepareCompletion(plan, options, &why);
  if (!completion || !canWriteInFolder(plan, completion->writtenFile, &why)) {
    KVX_TRACE("startup cache: none; %@", why.c_str());
    return {};
  }
  completion->lock = std::move(lock);
  std::string written = completion->writtenFile;
  if (!completeAtExit(completion)) {
    KVX_TRACE("startup cache: none; no work can be left for the exit");
    return {};
  }
  KVX_TRACE("startup cache: making %@ (%@, runtime %@)", written.c_str(),
            std::string(describe(plan.mode)).c_str(), plan.runtime.version.c_str());
  return joined(quietOptions(plan.mode, true), makingOptions(plan.mode, written));
}

}  // namespace

StringList startupCacheOptions(const RunState& run, const RuntimeChoice& runtime,
                               const StringList& options, const std::string& mainClass) {
  if (!getBooleanValue(run.infoDictionary, "kvx.startupCache")) {
    KVX_TRACE("startup cache: off (kvx.startupCache is not set)");
    return {};
  }
  std::string why;
  std::optional<CachePlan> plan = planCache(run, runtime, options, mainClass, &why);
  if (!plan) {
    KVX_TRACE("startup cache: none; %@", why.c_str());
    return {};
  }
  StringList names = platform::listDirectory(plan->folder).value_or(StringList());
  if (std::optional<std::string> finished = findFinishedCache(names, plan->key, cacheSuffix(plan->mode))) {
    std::string path = platform::joinPath(plan->folder, *finished);
    std::optional<platform::FileStatus> status = platform::fileStatus(path);
    if (status && sealMatches(*finished, *status)) {
      KVX_TRACE("startup cache: using %@ (%@)", path.c_str(), std::string(describe(plan->mode)).c_str());
      return joined(quietOptions(plan->mode, false), usingOptions(plan->mode, path));
    }
    KVX_TRACE("startup cache: %@ has changed since it was made; not used", path.c_str());
  }
  return makeCache(*plan, names, options);
}

}  // namespace kvx
