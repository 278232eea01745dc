#include "module_hints.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "jar_archive.h"
#include "platform/paths.h"

namespace kvx::bundle {
namespace {

struct Clue {
  std::string_view text;    // bytes looked for in a class file, or a service file's prefix
  std::string_view module;  // the module it leads to
  std::string_view shown;   // how the clue is named to the packager
};

// Kept small on purpose: each is a way real applications failed on a
// runtime made from jdeps' findings. A class file keeps the names it uses
// in its constant pool as they are written, with "/" in class references
// and "." in strings, so a plain search finds them.
constexpr Clue kClassClues[] = {
    // javax.tools is java.compiler, which jdeps sees; the compiler it hands
    // out lives in jdk.compiler.
    {"javax/tools/ToolProvider", "jdk.compiler", "javax.tools.ToolProvider"},
    // A zip or jar opened as a file system is served by jdk.zipfs.
    {"newFileSystem", "jdk.zipfs", "FileSystems.newFileSystem"},
    // Libraries look for it with Class.forName and go slower (or fail) without.
    {"sun.misc.Unsafe", "jdk.unsupported", "sun.misc.Unsafe named in a string"},
    // Classes named in strings (Class.forName, the service loader).
    {"javax.script.", "java.scripting", "a javax.script class named in a string"},
    {"javax.naming.", "java.naming", "a javax.naming class named in a string"},
    {"java.sql.", "java.sql", "a java.sql class named in a string"},
    {"javax.management.", "java.management", "a javax.management class named in a string"},
};

// META-INF/services/<interface>: a jar that provides (or names) a service of
// the JDK's own.
constexpr Clue kServiceClues[] = {
    {"javax.script.", "java.scripting", "a javax.script service"},
    {"javax.annotation.processing.", "java.compiler", "an annotation processor service"},
    {"java.sql.", "java.sql", "a java.sql service"},
    {"javax.naming.", "java.naming", "a javax.naming service"},
    {"javax.imageio.", "java.desktop", "a javax.imageio service"},
    {"javax.sound.", "java.desktop", "a javax.sound service"},
};

constexpr std::string_view kServices = "META-INF/services/";
// A class file past this is no class a compiler wrote.
constexpr size_t kClassLimit = size_t{64} << 20;

class Findings {
 public:
  bool has(std::string_view module) const {
    return std::any_of(found_.begin(), found_.end(), [&](const ModuleReach& r) { return r.module == module; });
  }
  void add(const Clue& clue, const std::string& jar) {
    if (!has(clue.module)) found_.push_back({std::string(clue.module), std::string(clue.shown), jar});
  }
  const std::vector<ModuleReach>& all() const { return found_; }

 private:
  std::vector<ModuleReach> found_;
};

void scanClass(const std::string& bytes, const std::string& jar, Findings& findings) {
  for (const Clue& clue : kClassClues) {
    if (!findings.has(clue.module) && bytes.find(clue.text) != std::string::npos) findings.add(clue, jar);
  }
}

void scanServiceFile(std::string_view service, const std::string& jar, Findings& findings) {
  for (const Clue& clue : kServiceClues) {
    if (service.starts_with(clue.text)) findings.add(clue, jar);
  }
}

void scanJar(const std::string& input, const std::string& jar, Findings& findings) {
  std::string error;
  std::optional<JarArchive> archive = JarArchive::open(platform::joinPath(input, jar), &error);
  if (!archive) return;
  for (const std::string& name : archive->entryNames()) {
    if (name.starts_with(kServices)) {
      scanServiceFile(std::string_view(name).substr(kServices.size()), jar, findings);
    } else if (name.ends_with(".class")) {
      if (std::optional<std::string> bytes = archive->readEntry(name, kClassLimit, &error)) scanClass(*bytes, jar, findings);
    }
  }
}

// The order the clues are listed in, whatever order they were found in.
size_t rank(const std::string& module) {
  size_t index = 0;
  for (std::span<const Clue> clues : {std::span<const Clue>(kClassClues), std::span<const Clue>(kServiceClues)}) {
    for (const Clue& clue : clues) {
      if (clue.module == module) return index;
      ++index;
    }
  }
  return index;
}

}  // namespace

std::vector<ModuleReach> modulesReachedByName(const std::string& input, const std::vector<std::string>& jars) {
  Findings findings;
  for (const std::string& jar : jars) scanJar(input, jar, findings);
  std::vector<ModuleReach> reaches = findings.all();
  std::stable_sort(reaches.begin(), reaches.end(),
                   [](const ModuleReach& a, const ModuleReach& b) { return rank(a.module) < rank(b.module); });
  return reaches;
}

std::vector<ModuleReach> missingModules(const std::vector<ModuleReach>& reaches, const std::set<std::string>& runtimeModules) {
  std::vector<ModuleReach> missing;
  for (const ModuleReach& reach : reaches) {
    if (!runtimeModules.contains(reach.module)) missing.push_back(reach);
  }
  return missing;
}

std::string describeReaches(const std::vector<ModuleReach>& reaches) {
  std::string text;
  for (const ModuleReach& reach : reaches) {
    if (!text.empty()) text += ", ";
    text += reach.module + " (" + reach.clue + " in " + reach.jar + ")";
  }
  return text;
}

}  // namespace kvx::bundle
