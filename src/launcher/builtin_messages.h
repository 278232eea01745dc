// The launcher's own English texts for the messages it can show, used when
// the application ships no messages bundle or none of its languages has the
// key: a message is never lost for want of a translation.
#pragma once

#include <string>

#include "run/run_state.h"

namespace kvx {

// The keys the launcher itself passes besides those of the messages bundle.
inline constexpr const char* kConfigurationErrorKey = "kvx.ConfigurationError";
// The launcher cannot tell where its own executable lies, so neither where
// the application is; info: why.
inline constexpr const char* kLauncherLocationErrorKey = "kvx.LauncherLocationError";
// The runtime ended the application with a failure; infos: the status, and
// the last lines the runtime and the application wrote to standard error.
inline constexpr const char* kRuntimeFailedKey = "kvx.RuntimeFailedError";

// The built-in text of key with its infos filled, or nullopt for a key the
// launcher does not know.
OptString builtInMessage(const std::string& key, const OptString& info1, const OptString& info2);

}  // namespace kvx
