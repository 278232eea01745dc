// Process-wide state. Written once, early, on the first thread; read afterwards.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "plist/plist.h"
#include "platform/runtime_names.h"

extern "C" {
typedef int (*JLI_Launch_t)(int argc, char** argv, int jargc, const char** jargv, int appclassc,
                            const char** appclassv, const char* fullversion,
                            const char* dotversion, const char* pname, const char* lname,
                            unsigned char javaargs, unsigned char cpwildcard,
                            unsigned char javaw, int32_t ergo);

// Errors go to standard error instead of a notice (a command-line launcher).
extern bool g_cli;
// Set once the runtime's launch library is loaded; a later call of main is a re-entry.
extern JLI_Launch_t JLI_LaunchFxnPtr;
// The version handed to JLI_Launch.
extern char* launchJavaVersion;
}

namespace kvx {

// The configuration dictionary in use for the whole run.
extern const plist::Value* s_infoDictionary;
extern std::optional<std::string> s_mainBundlePath;
extern std::optional<std::string> s_launcherDirInApp;
extern std::optional<std::string> s_launcherDirAndName;
extern std::optional<std::string> s_appRootDir;
extern bool s_guiLauncher;
extern std::optional<std::string> s_serviceMode;
extern std::atomic<int32_t> gChildPid;

// The version handed to JLI_Launch when no runtime version is known (a plain
// runtime home). JLI_Launch keeps the pointer and a re-entry reads it from
// another thread, so it lives as long as the process.
extern char kUnknownJavaVersion[];

// The configuration value under key at the top level, or null.
const plist::Value* configValue(std::string_view key);
// The configuration value under "JavaVM" → key, or null.
const plist::Value* javaVMValue(std::string_view key);

}  // namespace kvx
