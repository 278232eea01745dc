// The environment variables of this process. Below every other file service:
// the paths read HOME and the XDG variables from here.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kvx::platform {

// The environment as it is at the time of the call, in the system's order.
std::vector<std::pair<std::string, std::string>> environment();
std::optional<std::string> getEnv(const char* name);
// Sets name only when it is not set at all (an empty value counts as set).
void setEnvIfUnset(const char* name, const std::string& value);
// Removes the variable from this process's environment, and so from that of
// every program it starts afterwards.
void unsetEnv(const char* name);

}  // namespace kvx::platform
