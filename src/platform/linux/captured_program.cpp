#include "platform/captured_program.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace kvx::platform {
namespace {

// What a tool printed last says what went wrong, and its answer is its last
// line: past this much of either stream only the end is kept, in whole
// lines, so that a tool that prints without end cannot take all memory.
constexpr size_t kKeptBytes = size_t{256} * 1024;

// A tool that ignores SIGTERM is killed after this long.
constexpr int kStopGraceMilliseconds = 3000;

// Appends data, keeping only the last kKeptBytes from a line's beginning.
void keepTail(std::string& kept, const char* data, size_t size) {
  kept.append(data, size);
  if (kept.size() <= 2 * kKeptBytes) return;
  size_t from = kept.size() - kKeptBytes;
  size_t lineStart = kept.find('\n', from);
  kept.erase(0, lineStart == std::string::npos ? from : lineStart + 1);
}

// Appends what is there to read; false at the end of the stream.
bool readSome(int fd, std::string& into) {
  char buffer[16384];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) return false;
  keepTail(into, buffer, static_cast<size_t>(n));
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

}  // namespace

std::optional<CapturedRun> runCapturingOutput(const std::string& program,
                                              const std::vector<std::string>& arguments,
                                              std::string* error, const CaptureOptions& options) {
  ChildOptions childOptions{ChildStreams::Captured, true, options.workingDirectory};
  std::optional<ChildProcess> child = ChildProcess::start(program, arguments, error, childOptions);
  if (!child) return std::nullopt;
  const InterruptionGuard* interruptions = options.interruptions;
  CapturedRun run;
  int stop = interruptions ? interruptions->descriptor() : -1;
  if (!readUntilEnd(child->outputDescriptor(), child->errorDescriptor(), stop, run)) {
    std::string ignored;
    child->stop(kStopGraceMilliseconds, &ignored);
    *error = "interrupted by " + signalName(interruptions->heldSignal());
    return std::nullopt;
  }
  std::optional<Termination> termination = child->waitUntilExit(error);
  if (!termination) return std::nullopt;
  run.termination = *termination;
  return run;
}

}  // namespace kvx::platform
