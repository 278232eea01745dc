// Choosing the runtime and turning the assembled parameters into the
// argument vector that the launch library receives.
#include <string>

#include "launcher/argument_vector.h"
#include "launcher/launcher.h"
#include "base/exception.h"

namespace kvx {

Launcher& Launcher::load() {
  findJavaBundle();
  if (!javaBundlePath) return *this;

  StringList options;
  OptString mainClass;
  StringList args;
  bool firstThread = false;
  readJavaParameters(options, mainClass, args, &firstThread);
  // Without a main class the runtime would take the first application
  // argument for one; better to say what is missing.
  if (!mainClass) {
    throw PlatformException("JavaLaunchError",
                            "No main class: the configuration has no \"MainClass\" under \"JavaVM\".");
  }

  std::vector<std::string> entries =
      launchVectorEntries(run.programPath(), options, *javaBundlePath, *mainClass, args);
  argv = makeArgumentVector(entries);
  argc = static_cast<int>(entries.size());
  return *this;
}

}  // namespace kvx
