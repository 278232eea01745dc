// The packages a .deb depends on, found from what its programs and shared
// libraries really link (their ELF DT_NEEDED entries), the way Debian's own
// packages are given theirs: a runtime with the desktop modules needs the
// X11 and font libraries, a headless one does not.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/interruption.h"
#include "step_log.h"

namespace kvx::bundle {

// The ELF files among files (relative to root, which must hold DEBIAN/ so
// that $ORIGIN search paths resolve inside the package).
std::vector<std::string> elfFilesIn(const std::string& root, const std::vector<std::string>& files);

// The dependency clauses ("libc6 (>= 2.34)", "libx11-6", …) that
// dpkg-shlibdeps finds for the ELF files: each library they need that the
// package does not bring itself, mapped to the installed package that holds
// it, at the lowest version that has the symbols used. workDir is an empty
// folder to work in. nullopt with one line in *error.
std::optional<std::vector<std::string>> debLibraryDepends(const std::string& root,
                                                          const std::vector<std::string>& elfFiles,
                                                          const std::string& workDir, const StepLog& log,
                                                          const platform::InterruptionGuard* interruptions,
                                                          std::string* error);

// The clauses of a Depends value, split at its commas.
std::vector<std::string> dependsClauses(const std::string& value);

}  // namespace kvx::bundle
