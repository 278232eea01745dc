// Temporary: operations whose subsystems are still being built.
#include "launcher/launcher.h"
#include "platform/exception.h"
namespace kvx {
[[noreturn]] static void pending(const char* what) { throw PlatformException("NotBuilt", what); }
void Launcher::findJavaPreviousInstallation(const plist::Value*, const OptString&, const OptString&, bool) { pending("x"); }
void Launcher::findDirectoryJavaBundle(const OptString&, const OptString&, const OptString&, bool) { pending("x"); }
void Launcher::findPublicJavaBundle(const OptString&, const OptString&, bool) { pending("x"); }
}  // namespace kvx
