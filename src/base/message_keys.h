// The keys of the launcher's own messages, beside those of the messages
// bundle. Any layer may end a start with one (MessageError); the launcher
// layer holds their built-in texts.
#pragma once

namespace kvx {

// The configuration cannot be used; info: what is wrong with it.
inline constexpr const char* kConfigurationErrorKey = "kvx.ConfigurationError";
// The launcher cannot tell where its own executable lies, so neither where
// the application is; info: why.
inline constexpr const char* kLauncherLocationErrorKey = "kvx.LauncherLocationError";
// The runtime ended the application with a failure; infos: the status, and
// the last lines the runtime and the application wrote to standard error.
inline constexpr const char* kRuntimeFailedKey = "kvx.RuntimeFailedError";
inline constexpr const char* kRuntimeCrashedKey = "kvx.RuntimeCrashedError";

}  // namespace kvx
