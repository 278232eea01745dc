#include "run/globals.h"

extern "C" {
__attribute__((visibility("default"))) bool g_cli = false;
__attribute__((visibility("default"))) JLI_Launch_t JLI_LaunchFxnPtr = nullptr;
__attribute__((visibility("default"))) char* launchJavaVersion = nullptr;
}
