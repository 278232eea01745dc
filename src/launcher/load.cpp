// Choosing the runtime and turning the assembled parameters into the
// argument vector that the launch library receives.
#include <string>

#include "launcher/argument_vector.h"
#include "launcher/launcher.h"
#include "base/exception.h"
#include "params/java_parameters.h"
#include "startup_cache/startup_cache.h"

namespace kvx {

Launcher& Launcher::load() {
  runtime = RuntimeSearch(run, searchRoots).findJavaBundle();
  if (!runtime) return *this;

  StringList options;
  std::optional<MainEntry> main;
  StringList args;
  bool firstThread = false;
  JavaParameters(run, *runtime).readJavaParameters(options, main, args, &firstThread);
  // Without a main class the runtime would take the first application
  // argument for one; better to say what is missing.
  if (!main) {
    throw PlatformException("JavaLaunchError",
                            "No main class: the configuration has no \"MainClass\" under \"JavaVM\".");
  }

  // Decided last, once the configuration's, the packager's and the user's
  // options are all known: any of them may already decide class-data sharing.
  StringList cacheOptions = startupCacheOptions(run, *runtime, options, main->text());
  options.insert(options.begin(), cacheOptions.begin(), cacheOptions.end());

  std::vector<std::string> mainEntries = main->launchEntries();
  std::vector<std::string> entries =
      launchVectorEntries(run.programPath(), options, *runtime->javaBundlePath, mainEntries, args);
  argv = makeArgumentVector(entries);
  argc = static_cast<int>(entries.size());
  mainClassEntry = static_cast<int>(entries.size() - args.size() - mainEntries.size());
  return *this;
}

}  // namespace kvx
