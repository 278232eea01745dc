// Writing to a file descriptor, shared by the services that write files and streams.
#pragma once

#include <string_view>

namespace kvx::platform::detail {

// Writes all of bytes, resuming after interruptions; false when the
// descriptor takes no more.
bool writeAll(int fd, std::string_view bytes);

}  // namespace kvx::platform::detail
