// Temporary: operations whose subsystems are still being built.
#include "launcher/launcher.h"
#include "platform/exception.h"

namespace kvx {
[[noreturn]] static void pending(const char* what) { throw PlatformException("NotBuilt", what); }
void Launcher::addCommandLineParameters(StringList&, StringList&) { pending("x"); }
OptString Launcher::resolveArtifactPath(const OptString&) { pending("x"); }
OptString Launcher::addPredefinedOptions(const std::optional<StringList>&, StringList&, OptString) { pending("x"); }
OptString Launcher::readOptionsFile(const OptString&, StringList&, OptString) { pending("x"); }
}  // namespace kvx
