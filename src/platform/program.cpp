#include "platform/program.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "platform/process_steps.h"
#include "platform/system_error.h"

extern char** environ;

namespace kvx::platform {

namespace {

void closeIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

// SIGCHLD at its default; true when it was ignored before.
bool childSignalToDefault() {
  struct sigaction current = {};
  if (sigaction(SIGCHLD, nullptr, &current) != 0 || current.sa_handler != SIG_IGN) return false;
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  return sigaction(SIGCHLD, &dfl, nullptr) == 0;
}

void childSignalIgnoredAgain() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGCHLD, &ignore, nullptr);
}

bool ignored(int signal) {
  struct sigaction current = {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

struct Pipe {
  int readEnd = -1;
  int writeEnd = -1;
};

// The spawn settings of one child; a failure in any is the spawn's failure.
class Spawn {
 public:
  Spawn() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
  }
  ~Spawn() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
    for (Pipe* pipe : {&output, &errors}) {
      closeIfOpen(pipe->readEnd);
      closeIfOpen(pipe->writeEnd);
    }
  }
  Spawn(const Spawn&) = delete;
  Spawn& operator=(const Spawn&) = delete;

  int prepare(const ChildOptions& options) {
    if (options.streams == ChildStreams::Discarded) discardStreams();
    if (options.streams == ChildStreams::Captured) captureStreams();
    if (options.freshSignals) freshSignals();
    if (options.workingDirectory) {
      note(posix_spawn_file_actions_addfchdir_np(&actions_, options.workingDirectory->descriptor()));
    }
    note(posix_spawnattr_setflags(&attributes_, flags_));
    return failure_;
  }

  int spawn(pid_t* pid, const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv = detail::argumentVector(program, arguments);
    int failure = posix_spawn(pid, program.c_str(), &actions_, &attributes_, argv.data(), environ);
    // The child has its own copies of the write ends; ours would keep the pipes open.
    for (Pipe* pipe : {&output, &errors}) {
      closeIfOpen(pipe->writeEnd);
      pipe->writeEnd = -1;
    }
    return failure;
  }

  // Hands the read ends over; -1 where there is none.
  int takeReadEnd(Pipe& pipe) {
    int fd = pipe.readEnd;
    pipe.readEnd = -1;
    return fd;
  }

  Pipe output, errors;

 private:
  void note(int failure) {
    if (failure_ == 0) failure_ = failure;
  }
  void discardStreams() {
    note(posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0));
    for (int fd = 1; fd <= 2; ++fd) note(posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null", O_WRONLY, 0));
  }
  void captureStreams() {
    int ends[2][2];
    for (auto& end : ends) {
      if (pipe2(end, O_CLOEXEC) != 0) return note(errno);
    }
    output = Pipe{ends[0][0], ends[0][1]};
    errors = Pipe{ends[1][0], ends[1][1]};
    note(posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0));
    note(posix_spawn_file_actions_adddup2(&actions_, output.writeEnd, 1));
    note(posix_spawn_file_actions_adddup2(&actions_, errors.writeEnd, 2));
  }
  void freshSignals() {
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGPIPE}) {
      if (!ignored(signal) || signal == SIGPIPE) sigaddset(&defaults, signal);
    }
    note(posix_spawnattr_setsigmask(&attributes_, &none));
    note(posix_spawnattr_setsigdefault(&attributes_, &defaults));
    flags_ |= POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  }

  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  short flags_ = 0;
  int failure_ = 0;
};

std::optional<Termination> terminationOf(int status) {
  if (WIFSIGNALED(status)) return Termination{Termination::Reason::UncaughtSignal, WTERMSIG(status)};
  return Termination{Termination::Reason::Exit, WEXITSTATUS(status)};
}

}  // namespace

std::optional<ChildProcess> ChildProcess::start(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                std::string* error, const ChildOptions& options) {
  bool childSignalWasIgnored = childSignalToDefault();
  Spawn spawn;
  int failure = spawn.prepare(options);
  // glibc's posix_spawn reports a failed exec through its result, so a
  // missing or non-executable program is an error here and never a child
  // that exits with 127.
  pid_t pid = 0;
  if (failure == 0) failure = spawn.spawn(&pid, program, arguments);
  if (failure != 0) {
    if (childSignalWasIgnored) childSignalIgnoredAgain();
    *error = "could not start " + program + ": " + systemErrorText(failure);
    return std::nullopt;
  }
  return ChildProcess(pid, program, childSignalWasIgnored, spawn.takeReadEnd(spawn.output),
                      spawn.takeReadEnd(spawn.errors));
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_),
      program_(std::move(other.program_)),
      childSignalWasIgnored_(other.childSignalWasIgnored_),
      output_(other.output_),
      errors_(other.errors_),
      termination_(other.termination_) {
  other.childSignalWasIgnored_ = false;
  other.output_ = -1;
  other.errors_ = -1;
}

ChildProcess::~ChildProcess() { finish(); }

void ChildProcess::finish() {
  closeIfOpen(output_);
  closeIfOpen(errors_);
  output_ = errors_ = -1;
  if (childSignalWasIgnored_) childSignalIgnoredAgain();
  childSignalWasIgnored_ = false;
}

std::optional<Termination> ChildProcess::waitUntilExit(std::string* error) {
  if (termination_) return *termination_;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid_, &status, 0);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    *error = "could not wait for " + program_ + ": " + systemErrorText(errno);
    return std::nullopt;
  }
  termination_ = terminationOf(status);
  finish();
  return termination_;
}

std::optional<Termination> ChildProcess::stop(int graceMilliseconds, std::string* error) {
  if (termination_) return *termination_;
  kill(pid_, SIGTERM);
  constexpr int kStep = 10;
  for (int waited = 0; waited < graceMilliseconds; waited += kStep) {
    int status = 0;
    pid_t result = waitpid(pid_, &status, WNOHANG);
    if (result == pid_) {
      termination_ = terminationOf(status);
      finish();
      return termination_;
    }
    if (result < 0 && errno != EINTR) break;
    struct timespec step = {0, kStep * 1000000L};
    nanosleep(&step, nullptr);
  }
  kill(pid_, SIGKILL);
  return waitUntilExit(error);
}

std::optional<Termination> runAndWait(const std::string& program,
                                      const std::vector<std::string>& arguments, std::string* error,
                                      ChildStreams streams) {
  std::optional<ChildProcess> child = ChildProcess::start(program, arguments, error, {streams});
  if (!child) return std::nullopt;
  return child->waitUntilExit(error);
}

}  // namespace kvx::platform
