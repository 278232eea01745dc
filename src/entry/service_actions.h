// The action words a command-line service launcher accepts, by mode.
#pragma once

#include <optional>
#include <string>

namespace kvx {

enum class ServiceStep {
  Accept,        // nothing more here; the application is launched
  Detach,        // print "Starting", then run on as a daemon
  AnnounceStop,  // print "Shutting down"
  Usage,         // print the usage line and end with 1
};

// What the action word (absent when there is none) asks for in the mode:
// "legacy" (legacy true) or any other.
ServiceStep serviceStep(bool legacy, const std::optional<std::string>& action);

// The usage line of the mode, a printf format taking the program name.
const char* usageFormat(bool legacy);

// Detaches the process as a daemon (see platform::detachAsDaemon for
// nochdir and noclose). The process that asked ends here with status 0;
// true in the daemon, which goes on; false with the system's reason in
// *error when a step fails.
bool daemon_compat(int nochdir, int noclose, std::string* error);

}  // namespace kvx
