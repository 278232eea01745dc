// kvx-bundle: one command from jars to a finished application with its own
// small runtime.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "argument_files.h"
#include "bundle_command.h"
#include "bundle_options.h"
#include "help_text.h"
#include "platform/interruption.h"
#include "user_menu.h"

namespace {

int refuse(const std::string& message) {
  (void)fprintf(stderr, "kvx-bundle: %s\n", message.c_str());
  return 2;
}

// --add-to-menu and --remove-from-menu: each path written or removed, so
// that the user knows what to look at, or to take away by hand.
int changeUserMenu(const kvx::bundle::BundleOptions& options) {
  using namespace kvx::bundle;
  MenuChanges changes;
  std::string error;
  bool adding = options.addToMenu.has_value();
  bool done = adding ? addToUserMenu(*options.addToMenu, changes, &error)
                     : removeFromUserMenu(*options.removeFromMenu, changes, &error);
  for (const std::string& path : changes) (void)printf("%s %s\n", adding ? "wrote" : "removed", path.c_str());
  if (!done) return refuse(error);
  if (changes.empty()) (void)printf("nothing of %s was registered\n", options.removeFromMenu->c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kvx::bundle;
  std::string error;
  std::optional<std::vector<std::string>> args =
      expandArgumentFiles(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!args) return refuse(error);
  if (args->empty()) {
    (void)fputs(kUsage, stderr);
    return 2;
  }
  std::optional<BundleOptions> options = parseBundleOptions(*args, &error);
  if (!options) return refuse(error);
  if (options->version) {
    (void)printf("kvx-bundle %s\n", KVX_VERSION);
    return 0;
  }
  if (options->help) {
    (void)fputs(kUsage, stdout);
    (void)fputs(kHelp, stdout);
    return 0;
  }
  if (options->addToMenu || options->removeFromMenu) return changeUserMenu(*options);
  // Held back until the partial application is gone; one that arrived then
  // ends the program as it would have, once the guard lets it through.
  std::optional<kvx::platform::InterruptionGuard> interruptions = kvx::platform::InterruptionGuard::begin(&error);
  if (!interruptions) return refuse(error);
  if (!makeBundle(*options, &*interruptions, &error)) return refuse(error);
  return 0;
}
