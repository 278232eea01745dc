// The running process: its arguments, its id and (environment.h) its
// environment.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/environment.h"

namespace kvx::platform {

// The process's arguments as the system started it, element 0 the path it
// was started by: /proc/self/cmdline, or main's own argc and argv when that
// cannot be read. The entry reads them once for the whole run.
std::vector<std::string> processArguments(int argc, char** argv);

// This process's id: a name no other running process has.
int currentProcessId();

// The path with every symbolic link resolved, or nullopt when it does not exist.
std::optional<std::string> resolveSymlinks(const std::string& path);

// Ends this process at once with status: no exit handlers, no flushing of
// streams. Only the entry calls it, for the parent of a detach, whose
// buffers and handlers now belong to the daemon.
[[noreturn]] void endProcessAtOnce(int status);

}  // namespace kvx::platform
