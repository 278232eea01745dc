// Opening the chosen runtime's launch library and handing the process over to it.
#include <string>

#include "base/exception.h"
#include "app_format/message_keys.h"
#include "java_runtime/runtime_layout.h"
#include "launcher/launch_library.h"
#include "launcher/launcher.h"
#include "launcher/messages.h"
#include "platform/bundle.h"
#include "platform/dynamic_library.h"
#include "platform/error_output_watch.h"
#include "platform/notice.h"
#include "run/diagnostic_log.h"
#include "run/globals.h"
#include "run/kept_until_exit.h"

namespace kvx {
namespace {

// The user's own interrupt, a termination request or the session's end is
// no error to report; and a failure that left no words has nothing in it a
// person could act on.
bool isWorthANotice(int status, const std::string& lastLines) {
  constexpr int kHangUp = 128 + 1, kInterrupt = 128 + 2, kTerminate = 128 + 15;
  if (status == kHangUp || status == kInterrupt || status == kTerminate) return false;
  return !lastLines.empty();
}

// A desktop user who started the application from a menu never sees its
// standard error: when the runtime ends it with a failure (a main class it
// cannot find, an option it refuses, an exception out of main), its last
// lines are shown in a notice. On a terminal, or on the command-line road,
// the person reads them where they are.
void showRuntimeFailuresToDesktopUsers(const RunState& run) {
  if (!run.guiLauncher || run.commandLine || platform::standardErrorIsTerminal() || !platform::hasGraphicalSession()) {
    return;
  }
  constexpr size_t kLinesShown = 12;
  std::string error;
  auto show = [&run](const platform::FailedExit& end) {
    if (end.crashReport) {
      displayError(run, kRuntimeCrashedKey, *end.crashReport, end.lastLines);
    } else if (end.status && isWorthANotice(*end.status, end.lastLines)) {
      displayError(run, kRuntimeFailedKey, std::to_string(*end.status), end.lastLines);
    }
  };
  if (!platform::watchErrorOutput(kLinesShown, show, &error)) KVX_TRACE("%@", error.c_str());
}

// The plug-in runtime's library lies where the plug-in keeps it, not in the
// runtime's own places.
std::string launchLibraryOf(const RuntimeChoice& runtime, const SearchRoots& roots) {
  if (runtime.pluginUsed) return roots.pluginLibrary;
  std::string path = java_runtime::launchLibraryPath(*runtime.javaBundlePath);
  KVX_TRACE("load library %@.", path.c_str());
  return path;
}

// The library's functions; a library that cannot be loaded, or has no
// JLI_Launch, ends the start.
LaunchLibraryFunctions openLaunchLibrary(const std::string& path) {
  std::string loaderError;
  platform::DynamicLibrary library = platform::DynamicLibrary::openLazily(path, &loaderError);
  if (!library.isOpen()) {
    KVX_TRACE("%@", loaderError.c_str());
    throw PlatformException("JavaLaunchError", "Could not load JRE.");
  }
  LaunchLibraryFunctions functions = resolveLaunchLibrary(library);
  if (functions.launch == nullptr) {
    throw PlatformException("JavaLaunchError", "Could not get function pointer for JLI_Launch.");
  }
  return functions;
}

void traceVector(int argc, char** argv) {
  KVX_TRACE("launching %p %d", reinterpret_cast<void*>(JLI_LaunchFxnPtr), argc);
  for (int i = 0; i < argc; ++i) KVX_TRACE("arg %s", argv[i]);
}

}  // namespace

int Launcher::launch() {
  if (!runtime) {
    KVX_TRACE("no suitable JRE found.");
    displayError(run, kMinVersionErrorKey, getJavaMinVersion(run), run.applicationName());
    return 1;
  }

  LaunchLibraryFunctions functions = openLaunchLibrary(launchLibraryOf(*runtime, searchRoots));
  JLI_LaunchFxnPtr = functions.launch;
  expandArgumentFiles(functions.argumentFiles, argc, argv, mainClassEntry.value_or(argc));

  // "AppleWindowTabbingMode" = "manual" keeps the platform from merging the
  // application's windows into tabs. The user-defaults layer here is read-only
  // and no window system on this platform reads the setting: nothing to write.

  traceVector(argc, argv);
  showRuntimeFailuresToDesktopUsers(run);
  // Set once, here: the launch library keeps the pointer, and a re-entry
  // into main reads it from another thread.
  launchJavaVersion = copyKeptUntilExit(runtime->launchVersion);
  return JLI_LaunchFxnPtr(argc, argv, 0, nullptr, 0, nullptr, launchJavaVersion,
                          launchJavaVersion, "java", "java", 0, 0, 0, 0);
}

}  // namespace kvx
