// The icon a package installs into the hicolor theme, where the desktop
// finds an icon only in the folder of its size.
#pragma once

#include <string>

namespace kvx::bundle {

// The sizes the hicolor theme has a folder for.
inline constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// The side of the square PNG image at path when it is one of the sizes the
// hicolor theme has folders for (16, 22, 24, 32, 48, 64, 128, 256, 512);
// else 0 with one line in *error naming the file and the sizes.
int themeIconSize(const std::string& path, std::string* error);

}  // namespace kvx::bundle
