// Programs started and left to run on their own: in a session of their own,
// reparented away from us, never waited for and never left as a zombie.
// (Children that are waited for are in child_process.h.)
#pragma once

#include <string>
#include <vector>

namespace kvx::platform {

struct DetachedOptions {
  // Standard input, output and error go to /dev/null instead of being shared.
  bool discardOutput = false;
};

// Starts program with the given arguments after its own path (the child's
// argument 0), without a shell, and returns its process id once it has been
// executed. A program that cannot be started raises PlatformException naming
// the path and the system's reason.
int startDetached(const std::string& program, const std::vector<std::string>& arguments,
                  DetachedOptions options = {});

}  // namespace kvx::platform
