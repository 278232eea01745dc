#include "platform/error_output_watch.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <optional>

#include "base/utf.h"
#include "platform/files.h"
#include "platform/linux/descriptor_io.h"
#include "platform/linux/file_identity.h"
#include "platform/linux/system_error.h"
#include "platform/paths.h"
#include "platform/process_start.h"

namespace kvx::platform {
namespace {

// This process's ends of the channels to the watcher, handed to the exit
// hook, which runs once.
struct ExitChannels {
  int status;
  int forwarded;
};

// How long an ending process waits for the watcher to pass on what it wrote.
constexpr int kForwardWaitMilliseconds = 2000;

// Tells the watcher how this process ends.
void sendStatus(int status, void* channels) {
  const ExitChannels& ends = *static_cast<const ExitChannels*>(channels);
  const int32_t value = status;
  ssize_t ignored = write(ends.status, &value, sizeof value);
  (void)ignored;
  close(ends.status);
  // Whoever reads standard error once this process has ended should find
  // everything it wrote; a watcher that does not answer is not waited for long.
  pollfd answer{ends.forwarded, POLLIN, 0};
  while (poll(&answer, 1, kForwardWaitMilliseconds) < 0 && errno == EINTR) {
  }
  close(ends.forwarded);
}

// A line cut at its byte limit may end inside a character, and what a program
// wrote need not be UTF-8 at all; a dialog program refuses either. The cut
// character goes, malformed bytes become U+FFFD.
std::string wholeCharacters(std::string_view line) {
  std::string text;
  while (!line.empty()) {
    DecodedCharacter c = decodeUtf8(line);
    if (!c.valid && line.size() < 4 && (static_cast<unsigned char>(line[0]) & 0xC0) == 0xC0) break;
    appendUtf8(text, c.valid ? c.codePoint : U'\uFFFD');
    line.remove_prefix(c.length);
  }
  return text;
}

// The last lines written, at most count of them and kLimit bytes each.
class LastLines {
 public:
  explicit LastLines(size_t count) : count_(count) {}

  void add(const char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      if (bytes[i] == '\n') {
        finishLine();
      } else if (current_.size() < kLimit) {
        current_ += bytes[i];
      }
    }
  }

  std::string text() {
    finishLine();
    std::string joined;
    for (const std::string& line : lines_) joined += (joined.empty() ? "" : "\n") + wholeCharacters(line);
    return joined;
  }

 private:
  static constexpr size_t kLimit = 500;

  void finishLine() {
    if (current_.empty()) return;
    lines_.push_back(std::move(current_));
    current_.clear();
    if (lines_.size() > count_) lines_.pop_front();
  }

  size_t count_;
  std::deque<std::string> lines_;
  std::string current_;
};

// Forwards what is there to read now; false at the end of the data.
bool forwardAvailable(int dataFd, int outputFd, LastLines& lines, bool wait) {
  char buffer[4096];
  for (;;) {
    pollfd ready{dataFd, POLLIN, 0};
    int polled = poll(&ready, 1, wait ? -1 : 0);
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return true;
    ssize_t n = read(dataFd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    // Where standard error went may be gone: then there is nothing left to tell.
    (void)detail::writeAll(outputFd, std::string_view(buffer, static_cast<size_t>(n)));
    lines.add(buffer, static_cast<size_t>(n));
    if (wait) return true;
  }
}

// The status the watched process reports, or nullopt when it ended (or
// replaced its image) without reporting one.
std::optional<int32_t> readStatus(int statusFd) {
  int32_t status = 0;
  ssize_t n;
  do {
    n = read(statusFd, &status, sizeof status);
  } while (n < 0 && errno == EINTR);
  if (n != static_cast<ssize_t>(sizeof status)) return std::nullopt;
  return status;
}

// The runtime's crash report for the process, where the runtime writes it
// by default: the working directory, else the temporary one.
std::optional<std::string> crashReportOf(int pid) {
  const std::string name = "hs_err_pid" + std::to_string(pid) + ".log";
  std::optional<std::string> here = absolutePath(name);
  for (const std::optional<std::string>& place : {here, std::optional<std::string>(joinPath("/tmp", name))}) {
    if (place && fileExists(*place)) return place;
  }
  return std::nullopt;
}

// The watcher outlives every write of the process it watches: an interrupt
// or hang-up for the whole process group must not end it first, nor a
// reader of standard error that went away.
void outliveTheGroup() {
  // The handler these replace is of no further use.
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) (void)::signal(signal, SIG_IGN);
}

[[noreturn]] void watch(int dataFd, int statusFd, int forwardedFd, int outputFd, size_t lastLineCount,
                        int watchedPid, const OnFailedExit& onFailedExit) {
  LastLines lines(lastLineCount);
  bool open = true;
  std::optional<int32_t> status;
  bool statusKnown = false;
  while (open && !statusKnown) {
    pollfd fds[2] = {{dataFd, POLLIN, 0}, {statusFd, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents != 0) open = forwardAvailable(dataFd, outputFd, lines, true);
    if (fds[1].revents != 0) {
      status = readStatus(statusFd);
      statusKnown = true;
    }
  }
  // What was written before the end is in the pipe already; whoever reads
  // standard error once the process has ended finds all of it there.
  if (open) open = forwardAvailable(dataFd, outputFd, lines, false);
  const char done = 1;
  ssize_t ignored = write(forwardedFd, &done, 1);
  (void)ignored;
  close(forwardedFd);
  // Whatever still holds the pipe (a program the process started) is heard
  // to its end before a crash report is looked for: the runtime writes it
  // while it dies.
  if (status && *status != 0) onFailedExit(FailedExit{status, lines.text(), std::nullopt});
  while (open) open = forwardAvailable(dataFd, outputFd, lines, true);
  if (!status) onFailedExit(FailedExit{std::nullopt, lines.text(), crashReportOf(watchedPid)});
  _exit(0);
}

bool sameDestination(int a, int b) {
  struct stat first, second;
  return fstat(a, &first) == 0 && fstat(b, &second) == 0 && detail::isSameFile(first, second);
}

void pointAtNull(int fd) {
  int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null < 0) return;
  if (null != fd) {
    dup2(null, fd);
    close(null);
  }
}

// Runs in the forked watcher, which never returns.
[[noreturn]] void becomeWatcher(const int data[2], const int status[2], const int forwarded[2], size_t lastLineCount,
                                int watchedPid, const OnFailedExit& onFailedExit) {
  outliveTheGroup();
  close(data[1]);
  close(status[1]);
  close(forwarded[0]);
  // The watcher keeps its own way to standard error as it was, and lets go
  // of everything else a reader of the process's output waits on.
  pointAtNull(STDIN_FILENO);
  pointAtNull(STDOUT_FILENO);
  watch(data[0], status[0], forwarded[1], STDERR_FILENO, lastLineCount, watchedPid, onFailedExit);
}

}  // namespace

bool watchErrorOutput(size_t lastLineCount, const OnFailedExit& onFailedExit, std::string* error) {
  int data[2] = {-1, -1}, status[2] = {-1, -1}, forwarded[2] = {-1, -1};
  detail::StartedProcess started;
  const int watchedPid = getpid();
  const bool outputSharesErrors = sameDestination(STDOUT_FILENO, STDERR_FILENO);
  if (!detail::pipeAboveStandardStreams(data) || !detail::pipeAboveStandardStreams(status) ||
      !detail::pipeAboveStandardStreams(forwarded)) {
    started.failure = errno;
  } else {
    started = detail::startProcess({});
  }
  if (started.pid < 0) {
    *error = "cannot watch standard error: " + systemErrorText(started.failure);
    for (int fd : {data[0], data[1], status[0], status[1], forwarded[0], forwarded[1]}) {
      if (fd >= 0) close(fd);
    }
    return false;
  }
  if (started.pid == 0) becomeWatcher(data, status, forwarded, lastLineCount, watchedPid, onFailedExit);
  close(data[0]);
  close(status[0]);
  close(forwarded[1]);
  // Programs this process starts write to the pipe too, so it must be
  // inherited by them: fd 2 is the one copy without close-on-exec.
  dup2(data[1], STDERR_FILENO);
  // Output and errors into one pipe keep the order they were written in.
  if (outputSharesErrors) dup2(data[1], STDOUT_FILENO);
  close(data[1]);
  // The hook's channels live until the process ends; nothing else holds them.
  on_exit(sendStatus, new ExitChannels{status[1], forwarded[0]});
  return true;
}

}  // namespace kvx::platform
