// Watching what a process writes to standard error, so that the last lines
// can be shown to a person who has no terminal to read them on.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kvx::platform {

// How the watched process ended, when that was not a plain success.
struct FailedExit {
  // The exit status; none when it ended without exiting (killed, or crashed).
  std::optional<int> status;
  // Its last lines on standard error: whole characters of UTF-8, malformed
  // bytes replaced, so that any dialog program takes them.
  std::string lastLines;
  // When it ended without exiting: the crash report the runtime left for it
  // (hs_err_pid<pid>.log in its working directory or the temporary one).
  std::optional<std::string> crashReport;
};

// Called in the watching process when the watched one has ended with a
// non-zero status or without exiting; whether that is worth a word to the
// user is the caller's decision.
using OnFailedExit = std::function<void(const FailedExit& end)>;

// From now on standard error goes through a small process of its own (forked
// here, so call this while the process has a single thread): it forwards
// every byte, unchanged and in order, to where standard error went before,
// and keeps the last lines. When this process ends, through exit or a
// return from main, with a status other than 0, or without exiting, it calls
// onFailedExit there. It goes on forwarding as long as anything still holds
// the pipe (programs this process started), so nobody loses standard error
// early: signals to the process group (an interrupt at the terminal, a
// session's end) leave it running. When standard output goes where standard
// error goes (2>&1), both go through it, so their lines keep their order.
// Every descriptor it makes is above 2, also when this process started with
// standard streams closed. False, with
// the reason in *error and nothing changed, when it cannot be set up.
bool watchErrorOutput(size_t lastLineCount, const OnFailedExit& onFailedExit, std::string* error);

}  // namespace kvx::platform
