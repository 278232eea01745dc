// JavaFX's native libraries. Its jars as distributions ship them hold none:
// JavaFX loads each library from the jar's own directory, and failing that
// from java.library.path, which a runtime other than the distribution's own
// does not point at the system's folder for them. An application that
// brings JavaFX therefore brings these libraries too.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "module_path.h"

namespace kvx::bundle {

struct NativeLibraries {
  std::string directory;           // where they were found
  std::vector<std::string> files;  // file names in it, in byte order
};

// The libraries the JavaFX modules among modules load (javafx.graphics,
// javafx.media, javafx.web), found beside javafx.graphics's jar (its own
// directory, then the one its links lead to) or in the system's JNI folders
// (/usr/lib/<triplet>/jni, /usr/lib/jni), into *found; left empty without
// javafx.graphics. False with one line in *error when no folder holds its
// libraries.
bool findJavafxLibraries(const std::vector<ModuleFile>& modules, std::optional<NativeLibraries>* found,
                         std::string* error);

}  // namespace kvx::bundle
