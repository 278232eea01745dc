// Writing to and locking a file descriptor, shared by the services that write
// files and streams and those that lock files.
#pragma once

#include <string_view>

namespace kvx::platform::detail {

// Writes all of bytes, resuming after interruptions; false when the
// descriptor takes no more.
bool writeAll(int fd, std::string_view bytes);

// Takes the exclusive lock on the open file, waiting for it when wait is set,
// resuming after interruptions. False with errno set when it is not taken
// (EWOULDBLOCK: another holds it).
bool lockExclusive(int fd, bool wait);

}  // namespace kvx::platform::detail
