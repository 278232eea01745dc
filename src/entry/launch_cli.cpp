// The command-line launcher: the configuration embedded in the executable,
// the launcher's paths from its own location, and the service action word.
#include <cstdio>
#include <optional>
#include <string>

#include "entry/entry_points.h"
#include "entry/service_actions.h"
#include "run/diagnostic_log.h"
#include "launcher/launcher.h"
#include "platform/paths.h"
#include "platform/program.h"
#include "run/globals.h"

namespace kvx {
namespace {

void installCommandLineState(RunState& run, const plist::Value& configuration) {
  g_cli = true;
  run.commandLine = true;
  run.guiLauncher = false;
  run.infoDictionary = &configuration;
  run.serviceMode = run.configString(config::kService);
  // Raised only now, with the command-line road set, so that the error reaches standard error.
  const std::string& path = requireExecutablePath(run);
  run.launcherDirAndName = path;
  run.launcherDirInApp = platform::deletingLastPathComponent(path);
  KVX_TRACE("service mode: %@ %@", plist::describe(run.serviceMode).c_str(),
            plist::describe(run.configValue(config::kService)).c_str());
}

// The status to end with, or nothing when the application is to be launched.
std::optional<int> handleServiceAction(const RunState& run, const std::string& mode) {
  bool legacy = mode == "legacy";
  const std::vector<std::string>& args = run.arguments;
  // The name the program was started by (a link's own name), not its target.
  std::string name = args.empty() ? std::string() : platform::lastPathComponent(args[0]);
  std::optional<std::string> action;
  if (args.size() >= 2) {
    action = args[1];
    KVX_TRACE("service action: %@ %d", action->c_str(), legacy ? 1 : 0);
  }
  switch (serviceStep(legacy, action)) {
    case ServiceStep::Accept:
      return std::nullopt;
    case ServiceStep::Detach:
      printf("Starting %s\n", name.c_str());
      (void)fflush(stdout);
      if (std::string error; !daemon_compat(0, 0, &error)) {
        (void)fprintf(stderr, "daemon: %s\n", error.c_str());
        return 1;
      }
      return std::nullopt;
    case ServiceStep::AnnounceStop:
      printf("Shutting down %s\n", name.c_str());
      (void)fflush(stdout);
      return std::nullopt;
    case ServiceStep::Usage:
      printf(usageFormat(legacy), name.c_str());
      (void)fflush(stdout);
      return 1;
  }
  return 1;
}

}  // namespace

int launch_cli(RunState& run, const plist::Value& configuration) {
  KVX_TRACE("Loaded plist: %@ %d", plist::describe(configuration).c_str(),
            static_cast<int>(configuration.entries().size()));
  installCommandLineState(run, configuration);
  if (run.serviceMode) {
    if (std::optional<int> status = handleServiceAction(run, *run.serviceMode)) return *status;
  }
  return Launcher::launcher(run)->load().launch();
}

}  // namespace kvx
