// The keys of every message the launcher can show. An application's messages
// bundle gives their texts in its languages; english_messages.h holds the
// launcher's own English ones. Any layer may end a start with one
// (MessageError).
#pragma once

namespace kvx {

// No runtime the configuration accepts was found; infos: the lowest version
// accepted (absent when none is configured), the application's name.
inline constexpr const char* kMinVersionErrorKey = "AppleJavaMinVersionError";
// Something only a fault can cause; info: what it was.
inline constexpr const char* kInternalErrorKey = "torqa.InternalError";
// The shipped runtime must be unpacked but its folder cannot be written.
inline constexpr const char* kNonWritablePackDirKey = "NonWritablePackDir";
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
