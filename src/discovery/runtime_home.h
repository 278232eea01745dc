// Where a runtime keeps its home.
#pragma once

#include <string>

namespace kvx {

// A runtime bundle keeps its home in Contents/Home; a plain runtime home (a
// directory without Contents/, such as a Linux JDK) is its own home.
std::string runtimeHomeOf(const std::string& runtimePath);

}  // namespace kvx
