// Watching what a process writes to standard error, so that the last lines
// can be shown to a person who has no terminal to read them on.
#pragma once

#include <functional>
#include <string>

namespace kvx::platform {

// Called in the watching process when the watched one has ended with a
// non-zero status, with that status and the last lines it wrote.
using OnFailedExit = std::function<void(int status, const std::string& lastLines)>;

// From now on standard error goes through a small process of its own (forked
// here, so call this while the process has a single thread): it forwards
// every byte, unchanged and in order, to where standard error went before,
// and keeps the last lines. When this process ends, through exit or after
// reportExitStatus, with a status other than 0, it calls onFailedExit there.
// It goes on forwarding as long as anything still holds the pipe (programs
// this process started), so nobody loses standard error early. False, with
// the reason in *error and nothing changed, when it cannot be set up.
bool watchErrorOutput(size_t lastLineCount, OnFailedExit onFailedExit, std::string* error);

// Tells the watching process how this one ends, for a caller that returns
// rather than exits; later reports, and the one at exit, are not sent.
void reportExitStatus(int status);

}  // namespace kvx::platform
