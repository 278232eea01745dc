// How a child is set up when it is started: its streams, signals, working
// directory, session and descriptors.
#pragma once

#include <vector>

#include "platform/directory_handle.h"

namespace kvx::platform {

// Where a child's standard input, output and error go.
enum class ChildStreams {
  // Ours: the child reads and writes where we do.
  Shared,
  // /dev/null: for work of our own whose output nobody asked for.
  Discarded,
  // Input from /dev/null; output and error into pipes that we read.
  Captured,
};

struct ChildOptions {
  ChildStreams streams = ChildStreams::Shared;
  // The child starts with no signal held back, whatever this process holds,
  // and with SIGPIPE, SIGCHLD and the interruptions (SIGINT, SIGHUP,
  // SIGTERM, SIGQUIT) at their default; an interruption that this process
  // ignores stays ignored, as its caller meant it for everything started
  // under it. SIGCHLD is never left ignored: a child that waits for its own
  // children would lose their statuses.
  bool freshSignals = false;
  // The child's working directory: the opened directory rather than any
  // name for it. Ours when null.
  const DirectoryHandle* workingDirectory = nullptr;
  // The child leaves our session, process group and terminal for a session
  // of its own.
  bool newSession = false;
  // When given, the child keeps only these descriptors besides 0 to 2; every
  // other one is closed, so that nothing another process waits on (a pipe,
  // a lock) stays open because of the child.
  const std::vector<int>* keptDescriptors = nullptr;
};

}  // namespace kvx::platform
