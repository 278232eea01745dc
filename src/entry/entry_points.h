// The process-level functions of the launcher's start.
#pragma once

#include "plist/plist.h"
#include "run/run_state.h"

extern "C" {
int launcher_main(int argc, char** argv);
// The executable's absolute path with links resolved and standardised, as a
// new NUL-terminated string that lives until the process ends; null when unknown.
const char* getExecutablePath();
}

namespace kvx {

// The executable's own path, which the application root, the runtime
// shipped with it and its options files are all found from. Without it the
// start ends with kLauncherLocationErrorKey: any path made up instead would
// be relative, read in whatever directory the start happens to be in.
const std::string& requireExecutablePath(const RunState& run);

// The embedded configuration note: sets *data to its data in memory (or null)
// and returns the note's size, 0 when there is none.
int findEmbeddedConfig(const void** data);

// The command-line launcher's road, given the embedded configuration, which
// stays in use until the road ends.
int launch_cli(RunState& run, const plist::Value& configuration);

// Relaunches the application bundle through the workspace layer and waits for it.
int workspace_open(const RunState& run, bool hidden);
void forward_sigterm(int signal);

}  // namespace kvx
