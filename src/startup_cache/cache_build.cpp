#include "startup_cache/cache_build.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/process.h"
#include "platform/program.h"
#include "startup_cache/cache_folder.h"

namespace kvx {
namespace {

// The runtime writes an archive's header last, so a file that begins with
// the magic number was written to its end. Archives are written in the
// machine's own byte order.
constexpr uint32_t kArchiveMagic = 0xf00baba2;

bool beginsWithMagic(const platform::PrivateFolder& folder, const std::string& name) {
  std::optional<std::string> head = folder.readHead(name, sizeof kArchiveMagic);
  if (!head || head->size() != sizeof kArchiveMagic) return false;
  uint32_t found = 0;
  std::memcpy(&found, head->data(), sizeof found);
  return found == kArchiveMagic;
}

bool hasRecordedClasses(const platform::PrivateFolder& folder, const std::string& name) {
  std::optional<platform::FileStatus> status = folder.statusOf(name);
  return status && status->size > 0 && folder.holdsOwnFile(name);
}

// The build must see the class path and nothing of the user's environment:
// options in these variables would run in it (an agent) or change the archive.
void forgetOptionVariables() {
  for (const char* name : {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS", "CLASSPATH"}) {
    platform::unsetEnv(name);
  }
}

bool runBuild(const platform::PrivateFolder& folder, const CacheBuild& build) {
  forgetOptionVariables();
  std::string error;
  std::optional<platform::Termination> end = platform::runAndWait(
      build.javaProgram, buildArguments(build, folder), &error, platform::ChildStreams::Discarded);
  return end && end->succeeded() && beginsWithMagic(folder, build.output);
}

// The finished cache's name, or empty when it could not be kept.
std::string keep(const platform::PrivateFolder& folder, const CacheBuild& build) {
  std::optional<platform::FileStatus> status = folder.statusOf(build.output);
  std::string finished = status ? finishedCacheName(build.key, *status) : std::string();
  std::string error;
  if (finished.empty() || !folder.rename(build.output, finished, &error)) {
    folder.removeOwnFile(build.output);
    return {};
  }
  return finished;
}

std::vector<FinishedCache> keptOutcomes(const platform::PrivateFolder& folder) {
  std::vector<FinishedCache> outcomes;
  for (const std::string& name : folder.names().value_or(std::vector<std::string>())) {
    if (!isCacheFileName(name) || isMakingFileName(name) || !folder.holdsOwnFile(name)) continue;
    std::optional<platform::FileStatus> status = folder.statusOf(name);
    if (status) outcomes.push_back({name, status->size, status->accessedNanoseconds});
  }
  return outcomes;
}

}  // namespace

std::vector<std::string> buildArguments(const CacheBuild& build, const platform::PrivateFolder& folder) {
  std::vector<std::string> arguments =
      buildOptions(build.mode, folder.pathOf(build.classList), folder.pathOf(build.output));
  arguments.insert(arguments.end(), build.shapingOptions.begin(), build.shapingOptions.end());
  arguments.push_back("-cp");
  arguments.push_back(build.classPath);
  return arguments;
}

void buildCache(const platform::PrivateFolder& folder, const CacheBuild& build) {
  // No list, or an empty one: the runtime never started the application.
  if (!hasRecordedClasses(folder, build.classList)) {
    folder.removeOwnFile(build.classList);
    return;
  }
  bool built = runBuild(folder, build);
  folder.removeOwnFile(build.classList);
  std::string made;
  if (built) {
    made = keep(folder, build);
  } else {
    std::string error;
    folder.removeOwnFile(build.output);
    made = failedMarkerName(build.key);
    (void)folder.createFile(made, &error);
  }
  for (const std::string& name : cachesToEvict(keptOutcomes(folder), made)) folder.removeOwnFile(name);
}

}  // namespace kvx
