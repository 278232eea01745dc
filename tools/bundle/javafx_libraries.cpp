#include "javafx_libraries.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx::bundle {
namespace {

struct ModuleLibraries {
  const char* module;
  std::vector<std::string> names;  // library names as JavaFX loads them
};

// The libraries whose absence leaves the module unable to start; a name
// the folder lacks (an older or newer JavaFX) is passed over. GTK 2's glass
// is left out: JavaFX takes GTK 3, and the GTK 2 one would only make a
// package depend on GTK 2 as well.
const std::vector<ModuleLibraries>& libraryTable() {
  static const std::vector<ModuleLibraries> table = {
      {"javafx.graphics",
       {"glass", "glassgtk3", "prism_es2", "prism_sw", "prism_common", "decora_sse",
        "javafx_font", "javafx_font_freetype", "javafx_font_pango", "javafx_iio"}},
      {"javafx.media", {"jfxmedia", "fxplugins", "gstreamer-lite", "avplugin"}},
      {"javafx.web", {"jfxwebkit"}},
  };
  return table;
}

const ModuleFile* moduleNamed(const std::vector<ModuleFile>& modules, const std::string& name) {
  auto found = std::find_if(modules.begin(), modules.end(), [&](const ModuleFile& m) { return m.name == name; });
  return found == modules.end() ? nullptr : &*found;
}

void addCandidate(std::vector<std::string>& candidates, const std::string& directory) {
  if (std::find(candidates.begin(), candidates.end(), directory) == candidates.end()) {
    candidates.push_back(directory);
  }
}

std::vector<std::string> candidateDirectories(const std::string& graphicsJar) {
  std::vector<std::string> candidates;
  addCandidate(candidates, platform::deletingLastPathComponent(graphicsJar));
  if (std::optional<std::string> resolved = platform::resolveSymlinks(graphicsJar)) {
    addCandidate(candidates, platform::deletingLastPathComponent(*resolved));
  }
  std::vector<std::string> triplets = platform::listDirectory("/usr/lib").value_or(std::vector<std::string>{});
  std::sort(triplets.begin(), triplets.end());
  for (const std::string& triplet : triplets) {
    if (triplet.find("-linux-") != std::string::npos) addCandidate(candidates, "/usr/lib/" + triplet + "/jni");
  }
  addCandidate(candidates, "/usr/lib/jni");
  return candidates;
}

// The files in directory that the present modules load; "avplugin" stands
// for its versioned variants (libavplugin-54.so, …).
std::vector<std::string> librariesIn(const std::string& directory, const std::vector<ModuleFile>& modules) {
  std::vector<std::string> names = platform::listDirectory(directory).value_or(std::vector<std::string>{});
  std::vector<std::string> files;
  for (const ModuleLibraries& entry : libraryTable()) {
    if (!moduleNamed(modules, entry.module)) continue;
    for (const std::string& library : entry.names) {
      for (const std::string& name : names) {
        bool exact = name == "lib" + library + ".so";
        bool variant = library == "avplugin" && name.starts_with("libavplugin") && name.ends_with(".so");
        if (exact || variant) files.push_back(name);
      }
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

bool findJavafxLibraries(const std::vector<ModuleFile>& modules, std::optional<NativeLibraries>* found,
                         std::string* error) {
  found->reset();
  const ModuleFile* graphics = moduleNamed(modules, "javafx.graphics");
  if (!graphics) return true;
  std::vector<std::string> candidates = candidateDirectories(graphics->path);
  for (const std::string& directory : candidates) {
    if (!platform::fileExists(platform::joinPath(directory, "libglass.so"))) continue;
    *found = NativeLibraries{directory, librariesIn(directory, modules)};
    return true;
  }
  std::string looked;
  for (const std::string& directory : candidates) looked += (looked.empty() ? "" : ", ") + directory;
  *error = graphics->path + ": JavaFX's native libraries (libglass.so, …) are in none of " + looked +
           "; install them (Debian: libopenjfx-jni) or put them beside the jar";
  return false;
}

}  // namespace kvx::bundle
