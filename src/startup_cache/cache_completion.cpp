#include "startup_cache/cache_completion.h"

#include <cstdint>
#include <cstring>

#include "platform/exit_hook.h"
#include "platform/file_status.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/program.h"
#include "run/diagnostic_log.h"
#include "startup_cache/cache_folder.h"

namespace kvx {
namespace {

// The runtime writes an archive's header last, so a file that begins with
// the magic number was written to its end. Archives are written in the
// machine's own byte order.
constexpr uint32_t kDynamicArchiveMagic = 0xf00baba8;
constexpr uint32_t kStaticArchiveMagic = 0xf00baba2;

bool beginsWithMagic(const std::string& path, CacheMode mode) {
  uint32_t magic = mode == CacheMode::AheadOfTime ? kStaticArchiveMagic : kDynamicArchiveMagic;
  std::optional<std::string> head = platform::readFileHead(path, sizeof magic);
  if (!head || head->size() != sizeof magic) return false;
  uint32_t found = 0;
  std::memcpy(&found, head->data(), sizeof found);
  return found == magic;
}

bool hasContent(const std::string& path) {
  std::optional<platform::FileStatus> status = platform::fileStatus(path);
  return status && status->isRegular() && status->size > 0;
}

void discard(const std::string& path, const char* why) {
  KVX_TRACE("startup cache: %@ %s; not kept", path.c_str(), why);
  platform::removeFile(path);
}

// Runs the runtime once more to turn the recorded configuration into the
// cache; its output is its own business, not the application's. The path of
// the cache it wrote, or nullopt.
std::optional<std::string> assembleCache(const CacheCompletion& completion) {
  const std::string& configuration = completion.writtenFile;
  if (!hasContent(configuration)) {
    discard(configuration, "is empty");
    return std::nullopt;
  }
  std::string output = platform::joinPath(
      completion.folder, makingFileName(completion.key, platform::currentProcessId(),
                                        cacheSuffix(completion.mode)));
  std::vector<std::string> arguments = completion.applicationOptions;
  for (std::string& option : assemblyOptions(configuration, output)) arguments.push_back(std::move(option));
  KVX_TRACE("startup cache: assembling %@ with %@", output.c_str(), completion.javaProgram.c_str());
  std::string error;
  std::optional<platform::Termination> end =
      platform::runAndWait(completion.javaProgram, arguments, &error, platform::ChildStreams::Discarded);
  platform::removeFile(configuration);
  if (!end || !end->succeeded()) {
    if (!end) KVX_TRACE("startup cache: %@", error.c_str());
    discard(output, "was not assembled");
    return std::nullopt;
  }
  return output;
}

void runCompletion(void* data) {
  std::unique_ptr<CacheCompletion> completion(static_cast<CacheCompletion*>(data));
  completeCache(*completion);
}

}  // namespace

void completeCache(const CacheCompletion& completion) {
  if (!platform::fileStatus(completion.writtenFile)) {
    // The runtime was never started, or it wrote nothing (no base archive
    // to build on, a start that ended before the runtime's exit).
    KVX_TRACE("startup cache: the runtime wrote no %@", completion.writtenFile.c_str());
    return;
  }
  std::optional<std::string> written = completion.writtenFile;
  if (completion.mode == CacheMode::AheadOfTime) written = assembleCache(completion);
  if (!written) return;
  if (!beginsWithMagic(*written, completion.mode)) {
    discard(*written, "was not written to its end");
    return;
  }
  std::optional<platform::FileStatus> status = platform::fileStatus(*written);
  if (!status) return;
  std::string finished = platform::joinPath(
      completion.folder, finishedCacheName(completion.key, *status, cacheSuffix(completion.mode)));
  std::string error;
  if (!platform::renameFile(*written, finished, &error)) {
    KVX_TRACE("startup cache: %@", error.c_str());
    platform::removeFile(*written);
    return;
  }
  KVX_TRACE("startup cache: made %@", finished.c_str());
}

bool completeAtExit(std::unique_ptr<CacheCompletion>& completion) {
  // From here the hook owns it, and frees it when it has run.
  CacheCompletion* handedOver = completion.release();
  if (platform::runAtExit(runCompletion, handedOver)) return true;
  completion.reset(handedOver);
  return false;
}

}  // namespace kvx
