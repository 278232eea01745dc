// Choosing the runtime and turning the assembled parameters into the
// argument vector that the launch library receives.
#include <string>

#include "launcher/argument_vector.h"
#include "launcher/launcher.h"
#include "platform/exception.h"
#include "platform/process.h"

namespace kvx {

std::vector<std::string> launchVectorEntries(const std::string& programPath,
                                             const std::vector<std::string>& options,
                                             const std::string& javaBundlePath,
                                             const std::string& mainClass,
                                             const std::vector<std::string>& args) {
  std::vector<std::string> entries;
  entries.reserve(options.size() + 3 + args.size());
  entries.push_back(programPath);
  entries.insert(entries.end(), options.begin(), options.end());
  // Added on every launch, even when an option of that name is already there.
  entries.push_back("-Dkvx.jreBundle=" + javaBundlePath);
  entries.push_back(mainClass);
  entries.insert(entries.end(), args.begin(), args.end());
  return entries;
}

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

  const std::vector<std::string>& processArgs = platform::processArguments();
  std::string programPath = processArgs.empty() ? std::string() : processArgs.front();
  std::vector<std::string> entries =
      launchVectorEntries(programPath, options, *javaBundlePath, *mainClass, args);
  argv = makeArgumentVector(entries);
  argc = static_cast<int>(entries.size());
  return *this;
}

}  // namespace kvx
