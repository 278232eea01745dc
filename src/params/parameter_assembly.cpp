// Everything the virtual machine is started with: options, main class and
// program arguments, from the configuration, the options files and the
// command line, in one fixed order.
#include <algorithm>

#include "java_runtime/runtime_names.h"
#include "params/java_parameters.h"
#include "params/runtime_version_options.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/user_defaults.h"
#include "run/diagnostic_log.h"
#include "run/variables.h"

namespace kvx {
namespace {

// Applications read their language from LANG; a GUI start on some systems
// has none, so it is taken from the user's chosen locale.
void setLocaleFromUserDefaults(const RunState& run) {
  std::optional<plist::Value> locale = run.userDefaults.objectForKey("AppleLocale");
  // Only a locale identifier makes a LANG; anything else in the user's
  // preferences file is not worth failing the start for.
  if (locale && locale->isString()) platform::setEnvIfUnset("LANG", locale->str() + ".UTF-8");
}

OptString configuredString(const JavaParameters& parameters, const RunState& run, const config::Key& key) {
  return parameters.replaceVariables(run.configString(key));
}

// The launcher's path stem followed by suffix; absent while the stem is.
OptString besideLauncher(const RunState& run, const char* suffix) {
  if (!run.launcherDirAndName) return std::nullopt;
  return *run.launcherDirAndName + suffix;
}

void changeWorkingDirectory(const JavaParameters& parameters, const RunState& run) {
  OptString wd = configuredString(parameters, run, config::kWorkingDirectory);
  if (!wd) {
    // A GUI application runs in its bundle; a command-line one where it was
    // started, and so does a GUI one whose configuration keeps the directory
    // (a file named on its command line is then found where the user is).
    bool keep = run.configFlag(config::kKeepWorkingDirectory);
    if (run.guiLauncher && run.mainBundlePath && !keep) platform::changeCurrentDirectory(*run.mainBundlePath);
    return;
  }
  std::string directory = platform::isAbsolutePath(*wd)
                              ? platform::standardizePath(*wd)
                              : platform::standardizePath(platform::joinPath(
                                    run.launcherDirInApp.value_or(""), *wd));
  KVX_TRACE("using working directory %@", directory.c_str());
  // A directory that cannot be entered leaves the run where it is.
  platform::changeCurrentDirectory(directory);
}

void addPathOptions(const JavaParameters& parameters, const RunState& run, StringList& options,
                    const OptString& classPath) {
  OptString splash = configuredString(parameters, run, config::kSplashFile);
  if (splash) options.push_back("-splash:" + *splash);

  OptString resolvedClassPath = JavaParameters::resolveArtifactPath(classPath);
  if (resolvedClassPath && !resolvedClassPath->empty()) {
    options.push_back("-Djava.class.path=" + *resolvedClassPath);
  }
  OptString modulePath =
      JavaParameters::resolveArtifactPath(configuredString(parameters, run, config::kModulePath));
  if (modulePath && !modulePath->empty()) {
    options.push_back("-p");
    options.push_back(*modulePath);
  }
}

// Reached only on a platform with a dock; elsewhere it is compiled but unused.
[[maybe_unused]] void addDockOptions(const RunState& run, StringList& options) {
  std::string stem = run.launcherDirAndName.value_or("");
  if (isStartedWithoutBundle()) {
    KVX_TRACE("Started without bundle. Setting icon.");
    OptString icon = run.configString(config::kIconFile);
    if (icon) options.push_back("-Xdock:icon=" + stem + ".app/Contents/Resources/" + *icon);
  }
  OptString name = run.configString(config::kName);
  if (name) options.push_back("-Xdock:name=" + *name);
}

void addLauncherProperties(const RunState& run, StringList& options) {
  std::string stem = run.launcherDirAndName.value_or("");
  if (run.guiLauncher) {
    // The virtual machine of a platform without a dock refuses -Xdock options
    // and would not start.
    if constexpr (kPlatformHasDock) addDockOptions(run, options);
    options.push_back("-Dtorqa.moduleName=" + stem + ".app");
    return;
  }
  options.push_back("-Dtorqa.moduleName=" + stem);
  OptString configFileId = run.configString(config::kConfigFileId);
  if (configFileId) options.push_back("-Dkvx.configFileId=" + *configFileId);
  if (run.serviceMode) options.push_back("-Dkvx.service=" + *run.serviceMode);
}

StringList configuredArguments(const JavaParameters& parameters, const RunState& run) {
  StringList args;
  std::optional<StringList> configured = run.configStrings(config::kArguments);
  if (!configured) return args;
  for (const std::string& argument : *configured) {
    args.push_back(parameters.replaceVariables(argument).value_or(""));
  }
  return args;
}

// The runtime override has done its work in the runtime choice; the virtual
// machine would refuse it.
void removeRuntimeOverrides(StringList& options) {
  std::erase_if(options, [](const std::string& option) { return option.starts_with("-jvm="); });
}

}  // namespace

OptString JavaParameters::replaceVariables(const OptString& text) const {
  if (!substitutions_) substitutions_.emplace();
  return kvx::replaceVariables(run_, runtime_.javaBundlePath, text, *substitutions_);
}

OptString JavaParameters::addOptionSources(StringList& options, OptString start, bool withVersionOptions) {
  ClassPathDraft classPath(std::move(start));
  addPredefinedOptionsTo(run_.configStrings(config::kVMOptions), options, classPath);
  if (withVersionOptions) {
    std::optional<StringList> versionOptions = versionSpecificOptions(
        run_.configValue(config::kVersionSpecificVMOptions), runtime_.javaVersion, runtime_.javaMajorVersion);
    if (versionOptions) addPredefinedOptionsTo(versionOptions, options, classPath);
  }
  // Paths the launcher derived from where it lies: read as they are, never
  // for variables, which a folder name may look like.
  if (run_.guiLauncher) {
    if (OptString file = besideLauncher(run_, ".app/Contents/vmoptions.txt")) readOptionsFileAt(*file, options, classPath);
  }
  if (OptString file = besideLauncher(run_, ".vmoptions")) readOptionsFileAt(*file, options, classPath);
  if (std::optional<std::string> userFile = userOptionsFile()) readOptionsFileAt(*userFile, options, classPath);
  return classPath.joined();
}

void JavaParameters::readJavaParameters(StringList& options, std::optional<MainEntry>& main, StringList& args,
                                        bool* firstThread) {
  setLocaleFromUserDefaults(run_);
  // LANG may have just been set; substitutions from here on see it.
  substitutions_.reset();
  changeWorkingDirectory(*this, run_);

  options.clear();
  OptString classPath = addOptionSources(options, configuredString(*this, run_, config::kClassPath), true);
  addPathOptions(*this, run_, options, classPath);
  addLauncherProperties(run_, options);

  StringList given;
  addCommandLineParameters(options, given);
  // The configured arguments come first; with kvx.argumentsOnlyWhenNone they
  // are defaults instead, used only when the command line brings none.
  bool onlyWhenNone = run_.configFlag(config::kArgumentsOnlyWhenNone);
  args = onlyWhenNone && !given.empty() ? StringList() : configuredArguments(*this, run_);
  args.insert(args.end(), given.begin(), given.end());
  removeRuntimeOverrides(options);

  main = configuredMainEntry(run_);
  if (firstThread) *firstThread = run_.configFlag(config::kStartOnMainThread);
}

}  // namespace kvx
