// The state of one start: created at the entry, filled in while the roads
// fix the configuration and the launcher's paths, and handed down to every
// step by reference. Nothing below the entry keeps state of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app_format/config_keys.h"
#include "platform/bundle.h"
#include "platform/user_defaults.h"
#include "plist/plist.h"

namespace kvx {

using OptString = std::optional<std::string>;
using StringList = std::vector<std::string>;

struct RunState {
  // The process's arguments as the system started it, read once; element 0
  // is the path it was started by.
  StringList arguments;
  // The running executable's resolved path, found once as the start begins,
  // before anything can change the directory. Every launcher path derives
  // from it; nullopt when no name the system gives still leads to the
  // running file, and executablePathProblem then says why.
  OptString executablePath;
  std::string executablePathProblem;
  // The application bundle that holds the executable; empty while its path is unknown.
  platform::MainBundle mainBundle;
  // The process's standard user defaults. The search for earlier
  // installations adds its suite to them, and later look-ups see it, as the
  // platform's own standard defaults keep an added suite.
  mutable platform::UserDefaults userDefaults{std::nullopt};

  // The configuration in use for the whole run (s_infoDictionary): the
  // bundle's Info.plist or the configuration embedded in the executable.
  // Whoever sets it keeps the dictionary alive for the run.
  const plist::Value* infoDictionary = nullptr;
  // The application bundle, the ".app" directory (s_mainBundlePath).
  OptString mainBundlePath;
  // The launcher directory, base of relative paths in the configuration (s_launcherDirInApp).
  OptString launcherDirInApp;
  // The launcher's path stem: the bundle path without ".app", or the
  // command-line executable's own path (s_launcherDirAndName).
  OptString launcherDirAndName;
  // The application root directory (s_appRootDir).
  OptString appRootDir;
  // Started as an application bundle, not as a command-line executable (s_guiLauncher).
  bool guiLauncher = true;
  // Errors go to standard error instead of a notice: the command-line road.
  // It is set together with the exported g_cli, which is for those outside
  // this start that ask by name.
  bool commandLine = false;
  // The service mode of a command-line service launcher (s_serviceMode).
  OptString serviceMode;

  // The configuration's value under key, at the key's place, or null.
  const plist::Value* configValue(const config::Key& key) const;
  // The value of a string key, of a key holding an array of strings, of a
  // boolean key (absent is false). A value of another type ends the start
  // (PlatformException naming the key) or counts as absent, as the key says.
  OptString configString(const config::Key& key) const;
  std::optional<StringList> configStrings(const config::Key& key) const;
  bool configFlag(const config::Key& key) const;
  // The application's name for a person: "CFBundleName" when it is text,
  // else the launcher's own name; nullopt before either is known.
  OptString applicationName() const;
  // The path the program was started by; empty when unknown.
  std::string programPath() const { return arguments.empty() ? std::string() : arguments.front(); }
};

// The state a start of this process begins with: its arguments (main's argc
// and argv stand in when the system cannot give them), the executable's own
// path and the bundle that holds it, and the standard user defaults; nothing
// fixed yet.
RunState startingRunState(int argc, char** argv);

}  // namespace kvx
