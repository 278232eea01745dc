// Temporary: the command-line road and the workspace relaunch are still being built.
#include "entry/entry_points.h"
#include "platform/exception.h"

namespace kvx {
[[noreturn]] static void pending(const char* what) { throw PlatformException("NotBuilt", what); }
int launch_cli(const plist::Value&, int, char**) { pending("launch_cli"); }
int workspace_open(bool) { pending("workspace_open"); }
void forward_sigterm(int) {}
}  // namespace kvx
extern "C" const char* getExecutablePath() { return nullptr; }
