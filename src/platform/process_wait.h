// Waiting for children: the one loop every wait of this layer goes through.
#pragma once

#include <sys/types.h>

namespace kvx::platform::detail {

enum class WaitOutcome { Ended, StillRunning, Failed };

// Waits for the child pid to end: for as long as it takes when milliseconds
// is negative, else for about that long at most, looking every few
// milliseconds. Interrupted waits are resumed. Ended with its wait status in
// *status; Failed with errno set when the system cannot tell (ECHILD: it is
// no child of ours, or was reaped by the system because SIGCHLD was ignored,
// which a ChildSignalHold taken before the start prevents).
// Async-signal-safe, for waits in a forked child.
WaitOutcome waitForChild(pid_t pid, int* status, int milliseconds);

// SIGCHLD at its default for as long as the hold lives, when it was
// ignored: with SIGCHLD ignored the system reaps every child as it ends and
// no wait ever learns how it ended. Taken before a child is started and kept
// until it has been waited for; one child at a time. Async-signal-safe.
class ChildSignalHold {
 public:
  ChildSignalHold();
  ~ChildSignalHold() { release(); }
  ChildSignalHold(ChildSignalHold&& other) noexcept : wasIgnored_(other.wasIgnored_) { other.wasIgnored_ = false; }
  ChildSignalHold(const ChildSignalHold&) = delete;
  ChildSignalHold& operator=(const ChildSignalHold&) = delete;
  ChildSignalHold& operator=(ChildSignalHold&&) = delete;

  // SIGCHLD ignored again now, when it was before.
  void release();

 private:
  bool wasIgnored_ = false;
};

}  // namespace kvx::platform::detail
