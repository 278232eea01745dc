#include "startup_cache/startup_cache.h"

#include "platform/after_exit_worker.h"
#include "platform/file_status.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "run/diagnostic_log.h"
#include "startup_cache/cache_build.h"
#include "startup_cache/cache_folder.h"
#include "startup_cache/cache_key.h"
#include "startup_cache/cache_mode.h"
#include "startup_cache/launch_options.h"
#include "startup_cache/option_safety.h"
#include "startup_cache/runtime_identity.h"

namespace kvx {
namespace {

// Room for an archive with room to spare: a build that fills the disk would
// hurt whatever else the user is writing.
constexpr uint64_t kSpaceNeeded = 512ULL * 1024 * 1024;

// What a start knows once it has settled that a cache may be used or made.
struct CachePlan {
  CacheMode mode = CacheMode::None;
  RuntimeIdentity runtime;
  std::string key;
  std::string classPath;
  StringList shapingOptions;
};

StringList variableOptions() {
  StringList options;
  for (const char* name : {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS"}) {
    std::optional<std::string> value = platform::getEnv(name);
    if (!value) continue;
    for (std::string& option : splitVariableOptions(*value)) options.push_back(std::move(option));
  }
  return options;
}

// Why the options rule the cache out, or nullopt when they allow it.
std::optional<std::string> optionsRuleOut(const StringList& options, const StringList& fromVariables, int major) {
  if (std::optional<std::string> deciding = decidingOption(options, fromVariables)) {
    return "the options decide class-data sharing themselves: " + *deciding;
  }
  std::optional<std::string> file = argumentFileOption(options);
  if (!file) file = argumentFileOption(fromVariables);
  if (file) return "the option " + *file + " reads options the launcher does not see";
  if (std::optional<std::string> unknown = unknownOption(options, fromVariables, major)) {
    return "the option " + *unknown + " is not known to be harmless with the cache";
  }
  return std::nullopt;
}

std::optional<CachePlan> planCache(const RuntimeChoice& runtime, const StringList& options,
                                   const std::string& mainClass, std::string* why) {
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
  if (std::optional<std::string> reason = optionsRuleOut(options, fromVariables, identity->majorVersion)) {
    *why = *reason;
    return std::nullopt;
  }
  plan.classPath = effectiveClassPath(options, platform::getEnv("CLASSPATH"));
  CacheKeyInputs inputs{plan.runtime, plan.classPath, mainClass, keyedOptions(options), fromVariables};
  std::optional<StringList> lines = cacheKeyLines(inputs, why);
  if (!lines) return std::nullopt;
  plan.key = cacheKeyName(*lines);
  plan.shapingOptions = archiveShapingOptions(options, identity->majorVersion);
  return plan;
}

// The runtime takes ":" in an archive's path as a separator and "%" as the
// start of a pattern; a folder with either cannot be named to it.
bool runtimeCanName(const std::string& path, std::string* why) {
  if (path.find_first_of(":%") == std::string::npos) return true;
  *why = path + ": the runtime cannot be given a file here (the path holds \":\" or \"%\")";
  return false;
}

std::optional<platform::PrivateFolder> openFolder(const RunState& run, std::string* why) {
  std::optional<std::string> name = applicationFolderName(run, why);
  if (!name) return std::nullopt;
  std::optional<platform::PrivateFolder> folder = openApplicationCacheFolder(*name, why);
  if (folder && !runtimeCanName(folder->path(), why)) return std::nullopt;
  return folder;
}

StringList useCache(const platform::PrivateFolder& folder, const CachePlan& plan, const std::string& name) {
  folder.markUsed(name);
  std::string path = folder.pathOf(name);
  KVX_TRACE("startup cache: using %@ (%@)", path.c_str(), std::string(describe(plan.mode)).c_str());
  return usingOptions(plan.mode, path);
}

// A finished cache for the key that is still the file that was finished and
// this user's own, or nullopt.
std::optional<std::string> usableCache(const platform::PrivateFolder& folder, const StringList& names,
                                       const CachePlan& plan) {
  for (const std::string& finished : findFinishedCaches(names, plan.key)) {
    std::optional<platform::FileStatus> status = folder.statusOf(finished);
    if (status && platform::isPrivateTo(*status, platform::effectiveUserId()) && sealMatches(finished, *status)) {
      return finished;
    }
    KVX_TRACE("startup cache: %@ has changed since it was made, or is not this user's own; not used",
              folder.pathOf(finished).c_str());
  }
  return std::nullopt;
}

// What killed starts and builds left: only the holder of the lock removes,
// so nothing goes while it is written.
void removeLeftovers(const platform::PrivateFolder& folder, const StringList& names) {
  for (const std::string& name : names) {
    if (isMakingFileName(name) && folder.removeOwnFile(name)) {
      KVX_TRACE("startup cache: removed %@", folder.pathOf(name).c_str());
    }
  }
}

bool hasRoom(const platform::PrivateFolder& folder, std::string* why) {
  std::optional<uint64_t> space = platform::availableSpace(folder.path());
  if (!space || *space >= kSpaceNeeded) return true;
  *why = folder.path() + ": less than 512 MiB free";
  return false;
}

std::optional<CacheBuild> prepareBuild(const platform::PrivateFolder& folder, const CachePlan& plan,
                                       std::string* why) {
  CacheBuild build{plan.mode, plan.key, platform::joinPath(plan.runtime.home, "bin/java"),
                   plan.classPath, plan.shapingOptions, {}, {}};
  std::optional<platform::FileStatus> java = platform::fileStatus(build.javaProgram);
  if (!java || !java->isRegular()) {
    *why = build.javaProgram + ": missing, so the runtime cannot build the cache";
    return std::nullopt;
  }
  int pid = platform::currentProcessId();
  build.classList = makingFileName(plan.key, pid, kClassListSuffix);
  build.output = makingFileName(plan.key, pid, kCacheSuffix);
  // Made now so that the list the runtime writes into it is private from its
  // first byte, whatever the user's umask.
  if (!hasRoom(folder, why) || !folder.createFile(build.classList, why)) return std::nullopt;
  return build;
}

StringList makeCache(const platform::PrivateFolder& folder, const CachePlan& plan, const StringList& names) {
  std::string why;
  bool heldElsewhere = false;
  std::optional<platform::FileLock> lock = folder.tryLock(kLockFileName, &why, &heldElsewhere);
  if (!lock) {
    if (heldElsewhere) why = "another start is making one";
    KVX_TRACE("startup cache: none; %@", why.c_str());
    return {};
  }
  removeLeftovers(folder, names);
  std::optional<CacheBuild> build = prepareBuild(folder, plan, &why);
  // The worker keeps the folder and the lock until its build has ended;
  // this process lets go of its own copies when it returns.
  if (!build || !platform::startAfterExitWorker([&folder, &build] { buildCache(folder, *build); },
                                                {folder.descriptor(), lock->descriptor()}, &why)) {
    if (build) folder.removeOwnFile(build->classList);
    KVX_TRACE("startup cache: none; %@", why.c_str());
    return {};
  }
  std::string list = folder.pathOf(build->classList);
  KVX_TRACE("startup cache: recording the classes for %@ in %@ (%@, runtime %@)", plan.key.c_str(), list.c_str(),
            std::string(describe(plan.mode)).c_str(), plan.runtime.version.c_str());
  return recordingOptions(list);
}

StringList cacheOptions(const RunState& run, const CachePlan& plan) {
  std::string why;
  std::optional<platform::PrivateFolder> folder = openFolder(run, &why);
  if (!folder) {
    KVX_TRACE("startup cache: none; %@", why.c_str());
    return {};
  }
  StringList names = folder->names().value_or(StringList());
  if (std::optional<std::string> finished = usableCache(*folder, names, plan)) {
    return useCache(*folder, plan, *finished);
  }
  std::string failed = failedMarkerName(plan.key);
  if (folder->holdsOwnFile(failed)) {
    folder->markUsed(failed);
    KVX_TRACE("startup cache: none; building one for %@ failed before", plan.key.c_str());
    return {};
  }
  return makeCache(*folder, plan, names);
}

}  // namespace

StringList startupCacheOptions(const RunState& run, const RuntimeChoice& runtime, const StringList& options,
                               const std::string& mainClass) {
  if (!run.configFlag(config::kStartupCache)) {
    KVX_TRACE("startup cache: off (kvx.startupCache is not set)");
    return {};
  }
  std::string why;
  std::optional<CachePlan> plan = planCache(runtime, options, mainClass, &why);
  if (!plan) {
    KVX_TRACE("startup cache: none; %@", why.c_str());
    return {};
  }
  return cacheOptions(run, *plan);
}

}  // namespace kvx
