#include "platform/executable_path.h"

#include <stdlib.h>
#include <string.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/linux/file_identity.h"
#include "platform/linux/system_error.h"
#include "platform/process.h"

namespace kvx::platform {

namespace {

// Whether the resolved path still leads to the running executable. Without
// /proc nothing can say which file is running; a regular file there is
// taken, since the name came from the system's own record of the start.
bool leadsToRunningFile(const std::string& path, const std::optional<struct stat>& running) {
  struct stat found;
  if (stat(path.c_str(), &found) != 0 || !S_ISREG(found.st_mode)) return false;
  return !running || detail::isSameFile(found, *running);
}

struct Candidate {
  std::optional<std::string> path;
  std::string problem;
};

// The kernel's own record of the running file. It names a file that was
// deleted since with " (deleted)" added, and one that was replaced by the
// name of its replacement: only the same file counts.
Candidate fromProcLink(const std::optional<struct stat>& running) {
  std::optional<std::string> link = readLink("/proc/self/exe");
  if (!link) return {std::nullopt, "/proc/self/exe cannot be read (" + systemErrorText(errno) + ")"};
  std::optional<std::string> resolved = resolveSymlinks(*link);
  if (resolved && leadsToRunningFile(*resolved, running)) return {resolved, ""};
  return {std::nullopt, "/proc/self/exe names " + *link + ", which is no longer the running program"};
}

// The path the program was executed by (AT_EXECFN). A relative one is
// relative to the directory the process started in, which is still the
// current directory this early. A descriptor's name (fexecve) says nothing
// about where the file lies: the descriptor is closed by now, and its number
// may name whatever was opened since.
Candidate fromExecutedPath(const std::optional<struct stat>& running) {
  const char* executed = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
  if (executed == nullptr || *executed == '\0') {
    return {std::nullopt, "the system does not say which path started it"};
  }
  const std::string name(executed);
  if (name.starts_with("/dev/fd/") || name.starts_with("/proc/")) {
    return {std::nullopt, "it was started through the descriptor " + name + ", which names no place"};
  }
  char* resolved = realpath(executed, nullptr);
  if (resolved == nullptr) {
    return {std::nullopt, "the path it was started by, " + name + ", cannot be resolved (" +
                              systemErrorText(errno) + ")"};
  }
  std::string path(resolved);
  free(resolved);
  if (!leadsToRunningFile(path, running)) {
    return {std::nullopt, "the path it was started by, " + name + ", no longer leads to the running program"};
  }
  return {path, ""};
}

}  // namespace

std::optional<std::string> executablePath(std::string* error) {
  struct stat runningStatus;
  std::optional<struct stat> running;
  if (stat("/proc/self/exe", &runningStatus) == 0) running = runningStatus;
  Candidate fromProc = fromProcLink(running);
  if (fromProc.path) return fromProc.path;
  Candidate executed = fromExecutedPath(running);
  if (executed.path) return executed.path;
  if (error != nullptr) *error = fromProc.problem + "; " + executed.problem;
  return std::nullopt;
}

}  // namespace kvx::platform
