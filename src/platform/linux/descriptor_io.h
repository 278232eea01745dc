// Writing to and locking a file descriptor, and making pipes, shared by the
// services that write files and streams, lock files and start processes.
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

// A pipe (close-on-exec) whose ends are both above 2: a process started with
// a standard stream closed would otherwise get the pipe on that number, where
// its own writes (or /dev/null put over it) would land. False with errno set
// and nothing left open (both ends -1) when it cannot be made.
// Async-signal-safe.
bool pipeAboveStandardStreams(int ends[2]);

}  // namespace kvx::platform::detail
