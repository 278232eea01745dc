// Starting other programs and detaching from the terminal. Programs are
// started by path with an argument list, without a shell, inheriting the
// environment as it is at the time of the call.
//
// Failures follow the layer's one rule: a step that fails gives no value,
// and *error says why in one line that names the program and holds the
// system's reason. Whether that ends the start is the caller's decision.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/process_start.h"
#include "platform/process_wait.h"

namespace kvx::platform {

// How a child ended: by exiting with a status, or killed by a signal.
struct Termination {
  enum class Reason { Exit, UncaughtSignal };
  Reason reason = Reason::Exit;
  // The exit status, or the number of the signal that killed it.
  int status = 0;

  bool succeeded() const { return reason == Reason::Exit && status == 0; }
};

// A started child, identified by its process id until it has been waited for.
//
// From its start until it has been waited for, SIGCHLD is at its default
// even when our parent left it ignored (a detail::ChildSignalHold): the
// kernel would otherwise reap the child itself and the wait would fail
// although it ran. Children are started and waited for one at a time.
class ChildProcess {
 public:
  // Starts program with the given arguments after its own path, which the
  // child sees as its argument 0.
  static std::optional<ChildProcess> start(const std::string& program,
                                           const std::vector<std::string>& arguments,
                                           std::string* error, const ChildOptions& options = {});

  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess& operator=(ChildProcess&&) = delete;

  int pid() const { return pid_; }
  // With ChildStreams::Captured, the read ends of the child's standard
  // output and error, until waited for; -1 otherwise.
  int outputDescriptor() const { return output_; }
  int errorDescriptor() const { return errors_; }

  // Blocks until the child has ended; interrupted waits are resumed. Once it
  // has ended, later calls give the same answer. Without a status (the
  // system would not say) there is no answer: either would be a guess.
  std::optional<Termination> waitUntilExit(std::string* error);
  // Asks the child to end (SIGTERM) and waits; one that has not ended after
  // graceMilliseconds is killed (SIGKILL), which no program can ignore.
  std::optional<Termination> stop(int graceMilliseconds, std::string* error);

 private:
  ChildProcess(int pid, std::string program, detail::ChildSignalHold hold, int output, int errors)
      : pid_(pid), program_(std::move(program)), hold_(std::move(hold)), output_(output), errors_(errors) {}
  void finish();

  int pid_;
  std::string program_;
  // Released, SIGCHLD ignored again when it was, once the child has been waited for.
  detail::ChildSignalHold hold_;
  int output_;
  int errors_;
  std::optional<Termination> termination_;
};

// Starts program and waits for it to end.
std::optional<Termination> runAndWait(const std::string& program,
                                      const std::vector<std::string>& arguments, std::string* error,
                                      ChildStreams streams = ChildStreams::Shared);

struct DetachedOptions {
  // Standard input, output and error go to /dev/null instead of being shared.
  bool discardOutput = false;
  // When above 0: a program that ends with a failure within this time
  // counts as not started (a dialog that cannot open its display). The call
  // then takes up to this long.
  int watchMilliseconds = 0;
};

// Starts program and leaves it to run on its own: in a session of its own,
// reparented away from us, never waited for and never left as a zombie.
// Gives its process id once it has been executed.
std::optional<int> startDetached(const std::string& program, const std::vector<std::string>& arguments,
                                 std::string* error, DetachedOptions options = {});

// Which side of a detach this process is on.
enum class DetachSide {
  Failed,  // nothing was detached, or the daemon could not be set up; see *error
  Parent,  // the process that asked: it should end now
  Daemon,  // the copy that goes on in a new session
};

// Detaches the calling process, as a service does: forks, and the copy goes
// on in a new session. When nochdir is 0 the copy changes to "/"; when
// noclose is 0 its descriptors 0 to 2 are pointed at "/dev/null". The caller
// decides how the parent ends; the platform never ends the process itself.
// Failed with the system's reason in *error when a step fails (in the
// parent when the fork itself fails, else in the daemon).
DetachSide detachAsDaemon(int nochdir, int noclose, std::string* error);

}  // namespace kvx::platform
