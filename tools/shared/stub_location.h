// Where the launcher stub is, for the tools that copy it into applications.
#pragma once

#include <optional>
#include <string>

namespace kvx::tools {

// The stub named on the command line (--stub) as given; otherwise the one
// beside this tool: ../libexec/kestrovel/kvx-launcher from the directory of
// the tool's resolved path, as installed, or kvx-launcher in that directory
// itself, as built. nullopt with *error naming the places looked at when
// neither is there.
std::optional<std::string> findStub(const std::optional<std::string>& named, std::string* error);

}  // namespace kvx::tools
