// The workspace service: starting an application bundle as the system's
// application launcher would, away from the process that asks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvx::platform {

// Bits of the launch options word.
inline constexpr uint64_t NSWorkspaceLaunchWithoutAddingToRecents = 0x100;
inline constexpr uint64_t NSWorkspaceLaunchWithoutActivation = 0x200;
inline constexpr uint64_t NSWorkspaceLaunchAndHide = 0x100000;

// Starts the bundle's executable, Contents/MacOS/<CFBundleExecutable>, with
// the arguments, detached: in a session of its own and reparented away from
// us, so that it disappears from the process table when it ends. Hiding and
// activation have no meaning here; the options word is accepted and ignored.
// The running application's process identifier, or nullopt with the system's
// description in *error.
std::optional<int32_t> launchApplication(const std::string& bundlePath, uint64_t options,
                                         const std::vector<std::string>& arguments,
                                         std::string* error);

}  // namespace kvx::platform
