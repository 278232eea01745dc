// Where the running executable lies: every launcher path is derived from it,
// so only a name that still leads to the running file is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kvx::platform {

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

}  // namespace kvx::platform
