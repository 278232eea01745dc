#include "platform/after_exit_worker.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/process_steps.h"
#include "platform/system_error.h"

namespace kvx::platform {
namespace {

// The lowest priority: the work only ever saves time on a later start, so it
// must never take any from what the user is doing now.
constexpr int kNiceness = 19;

void closeAllBut(const std::vector<int>& keep) {
  std::vector<int> open;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') open.push_back(std::atoi(entry->d_name));
    }
    closedir(dir);
  }
  for (int fd : open) {
    if (fd > 2 && std::find(keep.begin(), keep.end(), fd) == keep.end()) close(fd);
  }
}

void defaultSignals() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD}) ::signal(signal, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

// Reads until every writer has closed the pipe: the process that started us
// holds the only writing end, closed when it exits or executes another program.
void waitForEndOfFile(int fd) {
  char byte;
  while (true) {
    ssize_t n = read(fd, &byte, 1);
    if (n == 0 || (n < 0 && errno != EINTR)) return;
  }
}

[[noreturn]] void runWorker(const std::function<void()>& work, std::vector<int> keep, int readEnd) {
  setsid();
  (void)detail::standardStreamsToNull();
  keep.push_back(readEnd);
  closeAllBut(keep);
  defaultSignals();
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
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *why = "cannot make a pipe: " + systemErrorText(errno);
    return false;
  }
  // The writing end stays open until this process ends; it must never sit
  // on a standard stream's number, where a closed stream would be looked for.
  int writeEnd = fcntl(fds[1], F_DUPFD_CLOEXEC, 3);
  close(fds[1]);
  if (writeEnd < 0) {
    close(fds[0]);
    *why = "cannot keep a pipe: " + systemErrorText(errno);
    return false;
  }
  pid_t pid = fork();
  if (pid == 0) {
    close(writeEnd);
    runWorker(work, keep, fds[0]);
  }
  int failure = errno;
  close(fds[0]);
  if (pid < 0) {
    close(writeEnd);
    *why = "cannot start a worker: " + systemErrorText(failure);
    return false;
  }
  return true;
}

}  // namespace kvx::platform
