// Variables written between "${" and "}" in configuration values and options
// files: the launcher's own first, then the environment's.
#pragma once

#include "run/run_state.h"

namespace kvx {

// The text with every variable that has a value replaced; absent stays
// absent. javaBundlePath is the chosen runtime, absent before the search
// has found one (${launcher:sys.jvmHome} then stays as written).
OptString replaceVariables(const RunState& run, const OptString& javaBundlePath, const OptString& text);

}  // namespace kvx
