// The application's icon, as the desktop and the bundle take it.
#pragma once

#include <string>

namespace kvx::bundle {

// path is a PNG image (by its signature). False with one line in *error.
bool checkPngIcon(const std::string& path, std::string* error);

}  // namespace kvx::bundle
