// Everything the virtual machine is started with: options, main class and
// program arguments, from the configuration, the options files and the
// command line, in one fixed order.
#include <algorithm>

#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
#include "params/runtime_version_options.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/user_defaults.h"

namespace kvx {
namespace {

// Applications read their language from LANG; a GUI start on some systems
// has none, so it is taken from the user's chosen locale.
void setLocaleFromUserDefaults() {
  std::optional<plist::Value> locale = platform::UserDefaults::standard().objectForKey("AppleLocale");
  // Only a locale identifier makes a LANG; anything else in the user's
  // preferences file is not worth failing the start for.
  if (locale && locale->isString()) platform::setEnvIfUnset("LANG", locale->str() + ".UTF-8");
}

OptString configuredString(Launcher& launcher, std::string_view key) {
  return launcher.replaceVariables(plist::stringValue(javaVMValue(key), key));
}

// The launcher's path stem followed by suffix; absent while the stem is.
OptString besideLauncher(const char* suffix) {
  if (!s_launcherDirAndName) return std::nullopt;
  return *s_launcherDirAndName + suffix;
}

void changeWorkingDirectory(Launcher& launcher) {
  OptString wd = configuredString(launcher, "WorkingDirectory");
  if (!wd) {
    // A GUI application runs in its bundle; a command-line one where it was started.
    if (s_guiLauncher && s_mainBundlePath) platform::changeCurrentDirectory(*s_mainBundlePath);
    return;
  }
  std::string directory = platform::isAbsolutePath(*wd)
                              ? platform::standardizePath(*wd)
                              : platform::standardizePath(platform::joinPath(
                                    s_launcherDirInApp.value_or(""), *wd));
  KVX_TRACE("using working directory %@", directory.c_str());
  // A directory that cannot be entered leaves the run where it is.
  platform::changeCurrentDirectory(directory);
}

void addPathOptions(Launcher& launcher, StringList& options, const OptString& classPath) {
  OptString splash = configuredString(launcher, "SplashFile");
  if (splash) options.push_back("-splash:" + *splash);

  OptString resolvedClassPath = launcher.resolveArtifactPath(classPath);
  if (resolvedClassPath && !resolvedClassPath->empty()) {
    options.push_back("-Djava.class.path=" + *resolvedClassPath);
  }
  OptString modulePath = launcher.resolveArtifactPath(configuredString(launcher, "ModulePath"));
  if (modulePath && !modulePath->empty()) {
    options.push_back("-p");
    options.push_back(*modulePath);
  }
}

void addDockOptions(StringList& options) {
  std::string stem = s_launcherDirAndName.value_or("");
  if (isStartedWithoutBundle()) {
    KVX_TRACE("Started without bundle. Setting icon.");
    OptString icon = plist::stringValue(configValue("CFBundleIconFile"), "CFBundleIconFile");
    if (icon) options.push_back("-Xdock:icon=" + stem + ".app/Contents/Resources/" + *icon);
  }
  OptString name = plist::stringValue(configValue("CFBundleName"), "CFBundleName");
  if (name) options.push_back("-Xdock:name=" + *name);
}

void addLauncherProperties(StringList& options) {
  std::string stem = s_launcherDirAndName.value_or("");
  if (s_guiLauncher) {
    // The virtual machine of a platform without a dock refuses -Xdock options
    // and would not start.
    if constexpr (kPlatformHasDock) addDockOptions(options);
    options.push_back("-Dtorqa.moduleName=" + stem + ".app");
    return;
  }
  options.push_back("-Dtorqa.moduleName=" + stem);
  OptString configFileId = plist::stringValue(configValue("kvx.configFileId"), "kvx.configFileId");
  if (configFileId) options.push_back("-Dkvx.configFileId=" + *configFileId);
  if (s_serviceMode) options.push_back("-Dkvx.service=" + *s_serviceMode);
}

StringList configuredArguments(Launcher& launcher) {
  StringList args;
  std::optional<StringList> configured =
      plist::stringArrayValue(javaVMValue("ArgumentArray"), "ArgumentArray");
  if (!configured) return args;
  for (const std::string& argument : *configured) {
    args.push_back(launcher.replaceVariables(argument).value_or(""));
  }
  return args;
}

// The runtime override has done its work in the runtime choice; the virtual
// machine would refuse it.
void removeRuntimeOverrides(StringList& options) {
  std::erase_if(options, [](const std::string& option) { return option.starts_with("-jvm="); });
}

}  // namespace

void Launcher::readJavaParameters(StringList& options, OptString& mainClass, StringList& args,
                                  bool* firstThread) {
  setLocaleFromUserDefaults();
  changeWorkingDirectory(*this);

  options.clear();
  OptString classPath = configuredString(*this, "ClassPath");
  classPath = addPredefinedOptions(
      plist::stringArrayValue(javaVMValue("VMOptionArray"), "VMOptionArray"), options, classPath);
  std::optional<StringList> versionOptions =
      versionSpecificOptions(javaVMValue("VersionSpecificVMOptions"), javaVersion, javaMajorVersion);
  if (versionOptions) classPath = addPredefinedOptions(versionOptions, options, classPath);
  if (s_guiLauncher) {
    classPath = readOptionsFile(besideLauncher(".app/Contents/vmoptions.txt"), options, classPath);
  }
  classPath = readOptionsFile(besideLauncher(".vmoptions"), options, classPath);

  addPathOptions(*this, options, classPath);
  addLauncherProperties(options);

  args = configuredArguments(*this);
  addCommandLineParameters(options, args);
  removeRuntimeOverrides(options);

  mainClass = plist::stringValue(javaVMValue("MainClass"), "MainClass");
  if (firstThread) *firstThread = getBooleanValue(configValue("JavaVM"), "StartOnMainThread");
}

}  // namespace kvx
