// The workspace relaunch with the workspace service handed in, so that what
// reaches the service can be seen.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace kvx {

// The relaunched application's process, for the signal handler that
// forwards termination to it; 0 while there is none. The handler can be
// handed nothing else.
extern std::atomic<int32_t> gChildPid;

// Shaped like platform::launchApplication.
using ApplicationStarter = std::function<std::optional<int32_t>(
    const std::string& bundlePath, uint64_t options, const std::vector<std::string>& arguments,
    std::string* error)>;

// Launches the bundle with the process arguments after the marker, forwards
// SIGTERM, SIGINT and SIGHUP to it and waits until it has gone. 1 when the
// launch failed, else 0.
int relaunchAndWait(bool hidden, const std::vector<std::string>& processArguments,
                    const std::string& bundlePath, const ApplicationStarter& start);

}  // namespace kvx
