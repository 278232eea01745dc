// The workspace relaunch with the workspace service handed in, so that what
// reaches the service can be seen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace kvx {

using ApplicationStarter = std::function<platform::WorkspaceLaunch(
    const std::string& bundlePath, uint64_t options, const std::vector<std::string>& arguments)>;

// Launches the bundle with the process arguments after the marker, forwards
// SIGTERM, SIGINT and SIGHUP to it and waits until it has gone. 1 when the
// launch failed, else 0.
int relaunchAndWait(bool hidden, const std::vector<std::string>& processArguments,
                    const std::string& bundlePath, const ApplicationStarter& start);

}  // namespace kvx
