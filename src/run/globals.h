// The process-wide values the runtime's launch library and our own tools
// reach by name. They are exported with C linkage and are the only state of
// a start that is not handed down in its RunState: the launch library's
// re-entry into main, on a thread of its own, has nothing else to read.
#pragma once

#include <cstdint>

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
// The version handed to JLI_Launch; written once, just before the first call.
extern char* launchJavaVersion;
}
