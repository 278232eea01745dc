// The workspace service: starting an application bundle as the system's
// application launcher would, away from the process that asks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvx::platform {

// Bits of the launch options word.
inline constexpr uint64_t NSWorkspaceLaunchWithoutAddingToRecents = 0x100;
inline constexpr uint64_t NSWorkspaceLaunchWithoutActivation = 0x200;
inline constexpr uint64_t NSWorkspaceLaunchAndHide = 0x100000;

// What a launch gives: the running application's process identifier, or an
// error with the system's description.
struct WorkspaceLaunch {
  int32_t processIdentifier = 0;
  std::string error;
  bool ok() const { return error.empty(); }
};

// Starts the bundle's executable, Contents/MacOS/<CFBundleExecutable>, with
// the arguments, detached: in a session of its own and reparented away from
// us, so that it disappears from the process table when it ends. Hiding and
// activation have no meaning here; the options word is accepted and ignored.
WorkspaceLaunch launchApplication(const std::string& bundlePath, uint64_t options,
                                  const std::vector<std::string>& arguments);

}  // namespace kvx::platform
