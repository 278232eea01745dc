#include "platform/process_steps.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

namespace kvx::platform::detail {

std::vector<char*> argumentVector(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return argv;
}

int standardStreamsToNull() {
  int fd = open("/dev/null", O_RDWR);
  if (fd == -1) return -1;
  for (int target = 0; target <= 2; ++target) {
    if (dup2(fd, target) == -1) {
      int error = errno;
      if (fd > 2) close(fd);
      errno = error;
      return -1;
    }
  }
  if (fd > 2) close(fd);
  return 0;
}

}  // namespace kvx::platform::detail
