// The dispatcher: chooses one of the five roads by tests made in a fixed
// order. It is also the one boundary where a failed start becomes what the
// user sees and an exit status.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "base/exception.h"
#include "entry/entry_points.h"
#include "launcher/launcher.h"
#include "launcher/messages.h"
#include "platform/paths.h"
#include "run/diagnostic_log.h"
#include "app_format/message_keys.h"
#include "run/globals.h"

namespace kvx {
namespace {

int reenterLaunchLibrary(int argc, char** argv) {
  return JLI_LaunchFxnPtr(argc, argv, 0, nullptr, 0, nullptr, launchJavaVersion,
                          launchJavaVersion, "java", "java", 0, 0, 0, 0);
}

// The configuration embedded in the executable: the length N, then N bytes of
// property list, parsed where the image holds them.
int runEmbeddedConfiguration(RunState& run, const unsigned char* data, int size) {
  uint32_t length = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                    static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
  KVX_TRACE("plist length %d", static_cast<int>(length));
  std::string error;
  std::optional<plist::Value> list;
  // A length beyond the note would make the parser read past it.
  if (length > static_cast<uint32_t>(size) - 4) {
    error = "stored length " + std::to_string(length) + " exceeds the note's " +
            std::to_string(size - 4) + " bytes";
  } else {
    list = plist::parse(std::string_view(reinterpret_cast<const char*>(data) + 4, length), &error);
  }
  if (!list) {
    KVX_ALWAYS_LOG("Failed to parse plist: %s", error.c_str());
    (void)fputs("ERROR: Could not load embedded plist.\n", stderr);
    (void)fflush(stderr);
    return 1;
  }
  if (!list->isDictionary()) {
    // A configuration is embedded, so this is the command-line road, and its
    // errors go to standard error even before the configuration is installed.
    g_cli = true;
    run.commandLine = true;
    throw PlatformException("NSInvalidArgumentException",
                            "The embedded configuration's root is not a dictionary.");
  }
  return launch_cli(run, *list);
}

int runBundleRoad(RunState& run) {
  requireExecutablePath(run);
  std::shared_ptr<Launcher> launcher = Launcher::launcher(run);
  return launcher->load().launch();
}

// The stack of an internal error for the trace, one frame a line as
// "file(function+offset)", which addr2line and c++filt turn into source lines.
void traceStack(const PlatformException& e) {
  KVX_TRACE("%@ raised in %s at %s:%u", e.name().c_str(), e.where().function, e.where().file,
            e.where().line);
  for (const std::string& frame : e.callStackSymbols()) {
    KVX_TRACE("  %@", platform::lastPathComponent(frame.substr(0, frame.find(" ["))).c_str());
  }
}

int runConfiguredRoad(RunState& run) {
  try {
    const void* data = nullptr;
    int size = findEmbeddedConfig(&data);
    KVX_TRACE("embedded config %p %d", data, size);
    if (data != nullptr && size > 4) {
      return runEmbeddedConfiguration(run, static_cast<const unsigned char*>(data), size);
    }
    return runBundleRoad(run);
  } catch (const MessageError& e) {
    displayError(run, e.key(), e.info1(), e.info2());
  } catch (const ValueTypeError& e) {
    traceStack(e);
    displayError(run, kConfigurationErrorKey, e.reason());
  } catch (const PlatformException& e) {
    KVX_ALWAYS_LOG("%s: %s", e.name().c_str(), e.reason().c_str());
    traceStack(e);
    displayError(run, kInternalErrorKey, std::string(e.what()));
  } catch (const std::exception& e) {
    // Anything else would end the process without a word to the user.
    KVX_ALWAYS_LOG("%s: %s", "std::exception", e.what());
    displayError(run, kInternalErrorKey, std::string(e.what()));
  }
  return 1;
}

}  // namespace
}  // namespace kvx

extern "C" __attribute__((visibility("default"))) int launcher_main(int argc, char** argv) {
  using namespace kvx;
  KVX_TRACE("launcher_main %d", argc);
  if (argc >= 2 && strcmp(argv[1], "__kvx_workspace_open") == 0) {
    KVX_TRACE("workspace open");
    return workspace_open(startingRunState(argc, argv), false);
  }
  if (argc >= 2 && strcmp(argv[1], "__kvx_workspace_open_hidden") == 0) {
    KVX_TRACE("workspace open hidden");
    return workspace_open(startingRunState(argc, argv), true);
  }
  if (JLI_LaunchFxnPtr != nullptr) return reenterLaunchLibrary(argc, argv);
  // The state of this start: it lives until the road ends, which is after
  // the runtime has returned.
  RunState run = startingRunState(argc, argv);
  return runConfiguredRoad(run);
}
