// The systemd unit a package installs with --launcher-as-service: the
// command-line launcher, run in the foreground under systemd's watch.
#pragma once

#include <string>

#include "bundle_options.h"
#include "package_layout.h"

namespace kvx::bundle {

// The kvx.service mode of such a launcher: every action word is handed on
// to the application, which sees -Dkvx.service=systemd.
inline constexpr const char kSystemdServiceMode[] = "systemd";

// The unit's name: the package's name with ".service".
std::string serviceUnitName(const PackageLayout& layout);

// The unit: ExecStart runs the launcher with the word "run", so that the
// process systemd started is the virtual machine itself (Type=simple) and
// stopping sends it SIGTERM, on which the virtual machine runs its shutdown
// hooks and ends with status 143, counted as success.
std::string serviceUnit(const BundleOptions& options, const PackageLayout& layout);

// A word of a unit's command line that systemd reads back as text: quoted,
// with its specifiers ("%"), variables ("$"), quotes and backslashes escaped.
std::string unitCommandWord(const std::string& text);

}  // namespace kvx::bundle
