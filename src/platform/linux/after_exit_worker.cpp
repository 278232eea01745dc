#include "platform/after_exit_worker.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/descriptor_io.h"
#include "platform/linux/system_error.h"
#include "platform/process_start.h"

namespace kvx::platform {
namespace {

// The lowest priority: the work only ever saves time on a later start, so it
// must never take any from what the user is doing now.
constexpr int kNiceness = 19;

// Reads until every writer has closed the pipe: the process that started us
// holds the only writing end, closed when it exits or executes another program.
void waitForEndOfFile(int fd) {
  char byte;
  while (true) {
    ssize_t n = read(fd, &byte, 1);
    if (n == 0 || (n < 0 && errno != EINTR)) return;
  }
}

[[noreturn]] void runWorker(const std::function<void()>& work, int readEnd) {
  (void)setpriority(PRIO_PROCESS, 0, kNiceness);
  // Whatever the worker and the programs it starts make is this user's alone.
  umask(077);
  waitForEndOfFile(readEnd);
  close(readEnd);
  try {
    work();
  } catch (...) {
  }
  _exit(0);
}

}  // namespace

bool startAfterExitWorker(const std::function<void()>& work, const std::vector<int>& keep, std::string* why) {
  // The writing end stays open until this process ends; it must never sit
  // on a standard stream's number, where a closed stream would be looked for.
  int fds[2];
  if (!detail::pipeAboveStandardStreams(fds)) {
    *why = "cannot make a pipe: " + systemErrorText(errno);
    return false;
  }
  const int writeEnd = fds[1];
  detail::StartedProcess started = detail::startProcess(
      {.streams = ChildStreams::Discarded, .freshSignals = true, .newSession = true, .keptDescriptors = &keep},
      fds[0]);
  if (started.pid == 0) {
    close(writeEnd);
    runWorker(work, fds[0]);
  }
  close(fds[0]);
  if (started.pid < 0) {
    close(writeEnd);
    *why = "cannot start a worker: " + systemErrorText(started.failure);
    return false;
  }
  return true;
}

}  // namespace kvx::platform
