// How much of each kind of file the launcher reads. Each limit lies far above
// any real file of its kind and far below what would exhaust memory; a file
// past its limit is refused as unreadable, never cut short.
#pragma once

#include <cstddef>

namespace kvx::platform::read_limit {

constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * kKiB;

// Information dictionaries, user-defaults domains, strings tables.
constexpr size_t kPropertyList = 16 * kMiB;
// Options files and the files they include, each on its own.
constexpr size_t kOptionsFile = 32 * kMiB;
// The process's own argument list; the system caps it near a quarter of the
// stack limit, which may be raised far above the usual 8 MiB.
constexpr size_t kArgumentList = 256 * kMiB;
// A runtime's release file: a few dozen short lines.
constexpr size_t kReleaseFile = 64 * kKiB;
// One line of /proc/<pid>/stat.
constexpr size_t kProcessStatus = 64 * kKiB;

// An executable read whole: a stub to embed into, one to check.
constexpr size_t kExecutable = 256 * kMiB;
// An argument file handed to a tool.
constexpr size_t kArgumentFile = 16 * kMiB;
// An icon image.
constexpr size_t kImage = 64 * kMiB;

}  // namespace kvx::platform::read_limit
