// Argument vectors handed to the runtime's launch library.
#pragma once

#include <string>
#include <vector>

namespace kvx {

// A new vector of heap copies of entries, followed by a null entry that is
// not counted. The runtime may read it from its own threads for as long as it
// runs, so it is never freed; it stays reachable until the process ends.
char** makeArgumentVector(const std::vector<std::string>& entries);

// The entries of the launch vector, in their order: the program path, the
// options, the runtime property, the main class or module (MainEntry's
// launch entries), the application arguments.
std::vector<std::string> launchVectorEntries(const std::string& programPath,
                                             const std::vector<std::string>& options,
                                             const std::string& javaBundlePath,
                                             const std::vector<std::string>& main,
                                             const std::vector<std::string>& args);

}  // namespace kvx
