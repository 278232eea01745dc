// The running process: its arguments, its environment, its executable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kvx::platform {

// The process's arguments as the system started it, element 0 the path it
// was started by: /proc/self/cmdline, or main's own argc and argv when that
// cannot be read. The entry reads them once for the whole run.
std::vector<std::string> processArguments(int argc, char** argv);

// The environment as it is at the time of the call, in the system's order.
std::vector<std::pair<std::string, std::string>> environment();
std::optional<std::string> getEnv(const char* name);
// This process's id: a name no other running process has.
int currentProcessId();
// Sets name only when it is not set at all (an empty value counts as set).
void setEnvIfUnset(const char* name, const std::string& value);

// Copies the executable's path as the kernel records it into buf and returns
// 0; when *size is too small, stores the size needed in *size and returns -1.
// Also -1, *size untouched, when the kernel's record cannot be read.
int copyExecutablePath(char* buf, uint32_t* size);
// The running executable's own path with every link resolved, taken only
// from a name that still leads to the running file: the kernel's record
// (/proc/self/exe), else the path the process was executed by, resolved
// against the directory it started in (so it must be asked before anything
// changes the directory). Nullopt, and *error says why, when neither does:
// started through a descriptor, deleted or replaced since, a path too long
// to be named.
std::optional<std::string> executablePath(std::string* error = nullptr);

// The path with every symbolic link resolved, or nullopt when it does not exist.
std::optional<std::string> resolveSymlinks(const std::string& path);

}  // namespace kvx::platform
