// The running process: its arguments and its environment.
#pragma once

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
// Removes the variable from this process's environment, and so from that of
// every program it starts afterwards.
void unsetEnv(const char* name);

// The path with every symbolic link resolved, or nullopt when it does not exist.
std::optional<std::string> resolveSymlinks(const std::string& path);

}  // namespace kvx::platform
