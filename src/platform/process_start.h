// The one way this layer starts a process. Every child, whether it executes
// a program, runs work of ours or carries on as this process detached,
// comes from startProcess, set up as ChildOptions say; every one that
// executes a program comes from ProgramStart.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/child_options.h"

namespace kvx::platform::detail {

struct StartedProcess {
  // The child's id in the parent; 0 in the child; -1 when none was started.
  pid_t pid = -1;
  // With ChildStreams::Captured, in the parent: the read ends of the child's
  // standard output and error (close-on-exec, the caller's to close).
  int output = -1;
  int errors = -1;
  // The errno of the step that failed: in the parent the start itself, in
  // the child a step of its setup (the child was then set up in part). 0 when none did.
  int failure = 0;
};

// Forks a child and sets it up as options say. Like fork, it returns twice:
// in the child once the setup is done, and in the parent with the child's
// id. Only async-signal-safe calls are made, so that it may be called in a
// process with threads; the child, too, may only make such calls until it
// executes a program, unless the process had one thread. alsoKept, when not
// -1, is kept open in the child like options.keptDescriptors.
StartedProcess startProcess(const ChildOptions& options, int alsoKept = -1);

// A program and its arguments, prepared for execution by a child. The
// preparation allocates; start() does not, so that it may be called in a
// child forked from a process with threads.
class ProgramStart {
 public:
  ProgramStart(std::string program, std::vector<std::string> arguments, ChildOptions options);
  ProgramStart(const ProgramStart&) = delete;
  ProgramStart& operator=(const ProgramStart&) = delete;

  // Starts the program through startProcess. A program that cannot be
  // executed is a failure here (its failure holds the reason), never a child
  // that exits with 127: the child has been waited for then.
  StartedProcess start() const;

  const std::string& program() const { return program_; }

 private:
  std::string program_;
  std::vector<std::string> arguments_;
  std::vector<char*> argv_;
  ChildOptions options_;
};

// "could not start PROGRAM: reason", the one line every failed start gives.
std::string startFailure(const std::string& program, int failure);

}  // namespace kvx::platform::detail
