#include "platform/captured_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process_steps.h"
#include "platform/system_error.h"

extern char** environ;

namespace kvx::platform {
namespace {

struct Pipe {
  int readEnd = -1;
  int writeEnd = -1;
};

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// The spawn settings of a captured child: input from /dev/null, output and
// error into the pipes, and the signal state of a freshly started program.
class CapturedSpawn {
 public:
  CapturedSpawn(const Pipe& out, const Pipe& err) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions_, out.writeEnd, 1);
    posix_spawn_file_actions_adddup2(&actions_, err.writeEnd, 2);
    posix_spawnattr_init(&attributes_);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGPIPE}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~CapturedSpawn() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  CapturedSpawn(const CapturedSpawn&) = delete;
  CapturedSpawn& operator=(const CapturedSpawn&) = delete;

  int spawn(pid_t* pid, const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv = detail::argumentVector(program, arguments);
    return posix_spawn(pid, program.c_str(), &actions_, &attributes_, argv.data(), environ);
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// Appends what is there to read; false at the end of the stream.
bool readSome(int fd, std::string& into) {
  char buffer[16384];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) return false;
  into.append(buffer, static_cast<size_t>(n));
  return true;
}

// Reads both streams until they end. False when an interruption arrived first.
bool readUntilEnd(int out, int err, int stop, CapturedRun& run) {
  pollfd watched[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {stop, POLLIN, 0}};
  while (watched[0].fd >= 0 || watched[1].fd >= 0) {
    if (poll(watched, 3, -1) < 0) {
      if (errno == EINTR) continue;
      return true;  // the child's end is still waited for below
    }
    if (watched[2].fd >= 0 && (watched[2].revents & POLLIN)) return false;
    for (int i = 0; i < 2; ++i) {
      if (watched[i].fd < 0 || !(watched[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (!readSome(watched[i].fd, i == 0 ? run.output : run.errors)) watched[i].fd = -1;
    }
  }
  return true;
}

bool openPipe(Pipe& pipe) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  pipe = Pipe{ends[0], ends[1]};
  return true;
}

void closePipe(Pipe& pipe) {
  closeIfOpen(pipe.readEnd);
  closeIfOpen(pipe.writeEnd);
}

std::optional<Termination> waitFor(pid_t pid, const std::string& program, std::string* error) {
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid, &status, 0);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    *error = "could not wait for " + program + ": " + systemErrorText(errno);
    return std::nullopt;
  }
  if (WIFSIGNALED(status)) return Termination{Termination::Reason::UncaughtSignal, WTERMSIG(status)};
  return Termination{Termination::Reason::Exit, WEXITSTATUS(status)};
}

// Waits for the child; one that an interruption stopped is asked to end first.
std::optional<CapturedRun> finish(pid_t pid, const std::string& program, bool finished,
                                  const InterruptionGuard* interruptions, CapturedRun run, std::string* error) {
  if (!finished) kill(pid, SIGTERM);
  std::optional<Termination> termination = waitFor(pid, program, error);
  if (!finished) {
    *error = "interrupted by " + signalName(interruptions->heldSignal());
    return std::nullopt;
  }
  if (!termination) return std::nullopt;
  run.termination = *termination;
  return run;
}

}  // namespace

std::optional<CapturedRun> runCapturingOutput(const std::string& program,
                                              const std::vector<std::string>& arguments,
                                              std::string* error,
                                              const InterruptionGuard* interruptions) {
  Pipe output, errors;
  if (!openPipe(output) || !openPipe(errors)) {
    int code = errno;
    closePipe(output);
    *error = "could not start " + program + ": " + systemErrorText(code);
    return std::nullopt;
  }
  pid_t pid = 0;
  int failure = CapturedSpawn(output, errors).spawn(&pid, program, arguments);
  closeIfOpen(output.writeEnd);
  closeIfOpen(errors.writeEnd);
  CapturedRun run;
  bool finished = true;
  if (failure == 0) {
    int stop = interruptions ? interruptions->descriptor() : -1;
    finished = readUntilEnd(output.readEnd, errors.readEnd, stop, run);
  }
  closePipe(output);
  closePipe(errors);
  if (failure != 0) {
    *error = "could not start " + program + ": " + systemErrorText(failure);
    return std::nullopt;
  }
  return finish(pid, program, finished, interruptions, std::move(run), error);
}

}  // namespace kvx::platform
