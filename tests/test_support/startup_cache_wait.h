// Waiting for the startup cache's background build, which holds the cache
// folder's lock until it has ended.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

namespace kvx::test {

// Returns once no build of the application whose cache folder is given runs
// (or after two minutes).
inline void waitForCacheBuild(const std::string& folder) {
  int fd = open((folder + "/.lock").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  for (int waited = 0; waited < 2400 && flock(fd, LOCK_EX | LOCK_NB) != 0; ++waited) usleep(50 * 1000);
  close(fd);
}

}  // namespace kvx::test
