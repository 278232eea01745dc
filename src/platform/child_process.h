// Child processes: programs started by path with an argument list, without a
// shell, inheriting the environment and sharing standard input, output and error.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

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
class ChildProcess {
 public:
  // Starts program with the given arguments after its own path, which the
  // child sees as its argument 0. A program that cannot be started raises
  // PlatformException naming the path and the system's reason.
  static ChildProcess start(const std::string& program, const std::vector<std::string>& arguments);

  int pid() const { return pid_; }
  // Blocks until the child has ended; interrupted waits are resumed. Once it
  // has ended, later calls give the same answer.
  Termination waitUntilExit();

 private:
  explicit ChildProcess(int pid, std::string program) : pid_(pid), program_(std::move(program)) {}

  int pid_;
  std::string program_;
  std::optional<Termination> termination_;
};

// Starts program and waits for it to end.
Termination runAndWait(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace kvx::platform
