#include "unpack/unpacker.h"

#include <optional>
#include <utility>

#include "base/exception.h"
#include "run/diagnostic_log.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/program.h"
#include "plist/plist.h"

namespace kvx {

namespace {

constexpr std::string_view kPackedSuffix = ".jar.pack";
constexpr std::string_view kPackSuffix = ".pack";

// Taken in the runtime directory by each start that finds work there.
constexpr std::string_view kLockName = "_kvx_unpack.lock";

bool isPackedJarName(const std::string& name) { return name.ends_with(kPackedSuffix); }

std::vector<std::string> packedFiles(const std::string& runtimeDirectory) {
  std::vector<std::string> list;
  Unpacker::addPackedFiles(list, "lib", runtimeDirectory);
  Unpacker::addPackedFiles(list, "lib/ext", runtimeDirectory);
  return list;
}

// Two first starts of one installation would run the tool on the same file at
// once, and one would read a jar while the other writes it: each waits here
// for the other. Where the lock file can be neither made nor opened (a runtime
// on a read-only file system), a start goes on without it as it always has:
// the tool fails there, and the folder is reported as one that cannot be
// written.
}  // namespace

std::optional<platform::FileLock> Unpacker::takeTurn(const std::string& runtimeDirectory) {
  std::string error;
  bool waited = false;
  std::optional<platform::FileLock> lock =
      platform::FileLock::waitExclusive(platform::joinPath(runtimeDirectory, kLockName), &error, &waited);
  if (waited) KVX_TRACE("waited for another start unpacking %@", runtimeDirectory.c_str());
  return lock;
}

bool Unpacker::unpack(const std::string& runtimeDirectory) {
  const std::string tool = platform::joinPath(runtimeDirectory, "bin/unpack200");

  std::vector<std::string> list = packedFiles(runtimeDirectory);
  // Only a start with work to do takes the lock; once it holds it, the work
  // another start did meanwhile is done.
  std::optional<platform::FileLock> lock;
  if (!list.empty()) lock = takeTurn(runtimeDirectory);
  if (lock) list = packedFiles(runtimeDirectory);
  KVX_TRACE("found %@", plist::describe(list).c_str());

  for (const std::string& relative : list) {
    const std::string packed = platform::joinPath(runtimeDirectory, relative);
    // A file gone since the directories were listed has nothing left to do.
    if (platform::fileExists(packed)) {
      KVX_TRACE("unpacking %@", relative.c_str());
      const std::string jar = packed.substr(0, packed.size() - kPackSuffix.size());
      std::string error;
      std::optional<platform::Termination> end = platform::runAndWait(tool, {"-r", packed, jar}, &error);
      // A tool that cannot be run at all is not the failed expansion the
      // caller reports: it ends the start as an internal error.
      if (!end) throw PlatformException("NSInvalidArgumentException", error);
      if (!end->succeeded()) {
        KVX_ALWAYS_LOG("Unpack task failed.");
        return false;
      }
    }
  }
  return true;
}

void Unpacker::addPackedFiles(std::vector<std::string>& list, const std::string& subDir,
                              const std::string& jreDir) {
  std::optional<std::vector<std::string>> names =
      platform::listDirectory(platform::joinPath(jreDir, subDir));
  if (!names) return;
  for (const std::string& name : *names) {
    if (!isPackedJarName(name)) continue;
    std::string entry = subDir;
    entry += '/';
    entry += name;
    list.push_back(std::move(entry));
  }
}

}  // namespace kvx
