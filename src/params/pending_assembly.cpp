// Temporary: parameter assembly is still being built.
#include "launcher/launcher.h"
#include "platform/exception.h"

namespace kvx {
void Launcher::readJavaParameters(StringList&, OptString&, StringList&, bool*) {
  throw PlatformException("NotBuilt", "readJavaParameters");
}
}  // namespace kvx
