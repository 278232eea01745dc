// The errors a user must see, named by message keys whose texts live in the
// application's messages bundle.
#pragma once

#include <string>

#include "run/run_state.h"

namespace kvx {

// The text of key with its placeholders filled; absent when there is no
// messages bundle.
OptString getMessage(const RunState& run, const std::string& key, const OptString& info1,
                     const OptString& info2);

// Shows the message: a notice with the application's name as its header, or
// a line on standard error for a command-line launcher (run.commandLine).
void displayError(const RunState& run, const std::string& key, const OptString& info1 = std::nullopt,
                  const OptString& info2 = std::nullopt);

}  // namespace kvx
