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

// Copies the executable's path into buf and returns 0; when *size is too
// small, stores the size needed in *size and returns -1.
int copyExecutablePath(char* buf, uint32_t* size);
// The executable's path as the system gives it (links not resolved), or
// nullopt when the system cannot say.
std::optional<std::string> executablePath();

// The path with every symbolic link resolved, or nullopt when it does not exist.
std::optional<std::string> resolveSymlinks(const std::string& path);

}  // namespace kvx::platform
