// The dispatcher: chooses one of the five roads by tests made in a fixed order.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "entry/entry_points.h"
#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
#include "base/exception.h"
#include "platform/system_log.h"

namespace kvx {
namespace {

int reenterLaunchLibrary(int argc, char** argv) {
  return JLI_LaunchFxnPtr(argc, argv, 0, nullptr, 0, nullptr, launchJavaVersion,
                          launchJavaVersion, "java", "java", 0, 0, 0, 0);
}

// The configuration embedded in the executable: the length N, then N bytes of
// property list, parsed where the image holds them.
int runEmbeddedConfiguration(const unsigned char* data, int size, int argc, char** argv) {
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
    throw PlatformException("NSInvalidArgumentException",
                            "The embedded configuration's root is not a dictionary.");
  }
  // The configuration stays in use for the whole run.
  static const plist::Value configuration = std::move(*list);
  return launch_cli(configuration, argc, argv);
}

int runBundleRoad() {
  std::shared_ptr<Launcher> launcher = Launcher::launcher();
  return launcher->load().launch();
}

std::string stackText(const std::vector<std::string>& stack) {
  std::string text = "(\n";
  for (size_t i = 0; i < stack.size(); ++i) {
    text += "    " + stack[i] + (i + 1 < stack.size() ? ",\n" : "\n");
  }
  return text + ")";
}

int runConfiguredRoad(int argc, char** argv) {
  try {
    const void* data = nullptr;
    int size = findEmbeddedConfig(&data);
    KVX_TRACE("embedded config %p %d", data, size);
    if (data != nullptr && size > 4) {
      return runEmbeddedConfiguration(static_cast<const unsigned char*>(data), size, argc, argv);
    }
    return runBundleRoad();
  } catch (const PlatformException& e) {
    KVX_ALWAYS_LOG("%s: %s", e.reason().c_str(), stackText(e.callStackSymbols()).c_str());
    Launcher::displayError("torqa.InternalError", std::string(e.what()));
  } catch (const std::exception& e) {
    // Anything else would end the process without a word to the user.
    KVX_ALWAYS_LOG("%s: %s", "std::exception", e.what());
    Launcher::displayError("torqa.InternalError", std::string(e.what()));
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
    return workspace_open(false);
  }
  if (argc >= 2 && strcmp(argv[1], "__kvx_workspace_open_hidden") == 0) {
    KVX_TRACE("workspace open hidden");
    return workspace_open(true);
  }
  if (JLI_LaunchFxnPtr != nullptr) return reenterLaunchLibrary(argc, argv);
  return runConfiguredRoad(argc, argv);
}
