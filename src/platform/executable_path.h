// Where the running executable lies: every launcher path is derived from it,
// so only a name that still leads to the running file is given.
#pragma once

#include <optional>
#include <string>

namespace kvx::platform {

// The running executable's own path with every link resolved, taken only
// from a name that still leads to the running file: the kernel's record
// (/proc/self/exe), else the path the process was executed by, resolved
// against the directory it started in (so it must be asked before anything
// changes the directory). Nullopt, and *error says why, when neither does:
// started through a descriptor, deleted or replaced since, a path too long
// to be named.
std::optional<std::string> executablePath(std::string* error = nullptr);

}  // namespace kvx::platform
