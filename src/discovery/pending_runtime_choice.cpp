// Temporary: the runtime choice is still being built.
#include "launcher/launcher.h"
#include "platform/exception.h"

namespace kvx {
[[noreturn]] static void pending(const char* what) { throw PlatformException("NotBuilt", what); }
OptString Launcher::findOverrideJvm() { pending("findOverrideJvm"); }
OptString Launcher::findJavaBundle() { pending("findJavaBundle"); }
}  // namespace kvx
