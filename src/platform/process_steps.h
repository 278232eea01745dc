// Steps shared by the ways this layer starts and detaches processes. The
// ones marked so run between fork and exec and use only async-signal-safe calls.
#pragma once

#include <string>
#include <vector>

namespace kvx::platform::detail {

// program, then the arguments, then a null entry; the pointers refer into
// the strings, which must outlive the vector.
std::vector<char*> argumentVector(const std::string& program, const std::vector<std::string>& arguments);

// Points descriptors 0 to 2 at /dev/null. 0, or -1 with errno set.
// Async-signal-safe.
int standardStreamsToNull();

}  // namespace kvx::platform::detail
