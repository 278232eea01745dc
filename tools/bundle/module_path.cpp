#include "module_path.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "base/text.h"
#include "jar_archive.h"
#include "jar_manifest.h"
#include "module_info.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "refusal.h"

namespace kvx::bundle {
namespace {

constexpr size_t kDeclarationLimit = 1 << 20;
// A multi-release jar may declare its module under META-INF/versions/N only.
constexpr int kFirstModularRelease = 9, kLastReleaseLookedAt = 40;

std::optional<std::string> declarationEntry(const JarArchive& jar) {
  if (jar.hasEntry("module-info.class")) return "module-info.class";
  for (int release = kFirstModularRelease; release <= kLastReleaseLookedAt; ++release) {
    std::string entry = "META-INF/versions/" + std::to_string(release) + "/module-info.class";
    if (jar.hasEntry(entry)) return entry;
  }
  return std::nullopt;
}

bool describeJar(ModuleFile& module, std::string* error) {
  std::optional<JarArchive> jar = JarArchive::open(module.path, error);
  if (!jar) return false;
  if (std::optional<std::string> entry = declarationEntry(*jar)) {
    std::optional<std::string> bytes = jar->readEntry(*entry, kDeclarationLimit, error);
    if (!bytes) return false;
    std::optional<ModuleInfo> info = readModuleInfo(*bytes);
    if (!info) return fail(error, module.path + ": its " + *entry + " declares no module");
    module.name = info->name;
    module.isExplicit = true;
    module.mainClass = info->mainClass;
    module.requiredModules = info->requiredModules;
    module.classFileMajor = info->classFileMajor;
    return true;
  }
  std::string ignored;
  std::optional<std::string> manifest = jar->hasEntry("META-INF/MANIFEST.MF")
                                            ? jar->readEntry("META-INF/MANIFEST.MF", 1 << 20, &ignored)
                                            : std::nullopt;
  module.name = automaticModuleName(platform::lastPathComponent(module.path),
                                    manifest ? mainAttribute(*manifest, "Automatic-Module-Name") : std::nullopt);
  return true;
}

bool isModuleFileName(const std::string& name) { return name.ends_with(".jar") || name.ends_with(".jmod"); }

// A jmod always declares its module; it is named after it.
bool describe(ModuleFile& module, std::string* error) {
  if (!module.path.ends_with(".jmod")) return describeJar(module, error);
  std::string file = platform::lastPathComponent(module.path);
  module.name = file.substr(0, file.size() - 5);
  module.isExplicit = true;
  return true;
}

struct Entry {
  std::string path;
  std::optional<std::string> inInput;
};

Entry placeOf(const std::string& input, const std::string& given) {
  if (platform::isAbsolutePath(given)) return {given, std::nullopt};
  std::string relative = platform::standardizePath(given);
  while (relative.starts_with("./")) relative.erase(0, 2);
  if (relative == ".." || relative.starts_with("../")) return {platform::joinPath(input, given), std::nullopt};
  return {platform::joinPath(input, relative), relative == "." ? "" : relative};
}

std::optional<std::string> within(const std::optional<std::string>& directory, const std::string& name) {
  if (!directory) return std::nullopt;
  return directory->empty() ? name : *directory + "/" + name;
}

// A module file found on the path, before describe() reads what it declares.
ModuleFile unread(const std::string& path, const std::optional<std::string>& inInput) {
  ModuleFile file;
  file.path = path;
  file.inInput = inInput;
  return file;
}

bool addEntry(const std::string& input, const std::string& given, std::vector<ModuleFile>& modules,
              std::string* error) {
  Entry entry = placeOf(input, given);
  if (!platform::fileExists(entry.path)) return fail(error, "--module-path " + given + ": no such file or directory");
  if (!platform::isDirectory(entry.path)) {
    if (!isModuleFileName(entry.path)) return fail(error, "--module-path " + given + ": neither a jar, a jmod nor a directory");
    modules.push_back(unread(entry.path, entry.inInput));
    return describe(modules.back(), error);
  }
  std::optional<std::vector<std::string>> names = platform::listDirectory(entry.path, error);
  if (!names) return fail(error, "--module-path " + given + ": " + *error);
  std::sort(names->begin(), names->end());
  size_t before = modules.size();
  for (const std::string& name : *names) {
    std::string path = platform::joinPath(entry.path, name);
    if (!isModuleFileName(name) || platform::isDirectory(path)) continue;
    modules.push_back(unread(path, within(entry.inInput, name)));
    if (!describe(modules.back(), error)) return false;
  }
  if (modules.size() == before) return fail(error, "--module-path " + given + ": holds no jar or jmod");
  return true;
}

}  // namespace

std::vector<std::string> modulePathEntries(const std::vector<std::string>& values) {
  std::vector<std::string> entries;
  for (const std::string& value : values) {
    for (std::string_view part : splitAt(value, ':')) {
      if (!part.empty()) entries.emplace_back(part);
    }
  }
  return entries;
}

std::optional<std::vector<ModuleFile>> findModules(const std::string& input, const std::vector<std::string>& entries,
                                                   std::string* error) {
  std::vector<ModuleFile> modules;
  for (const std::string& given : entries) {
    if (!addEntry(input, given, modules, error)) return std::nullopt;
  }
  std::set<std::string> seen;
  std::erase_if(modules, [&](const ModuleFile& module) { return !seen.insert(module.name).second; });
  return modules;
}

std::vector<ModuleFile> resolvedModules(const std::vector<ModuleFile>& modules, const std::string& root) {
  std::set<std::string> reached;
  std::vector<std::string> pending = {root};
  bool automaticReached = false;
  while (!pending.empty()) {
    std::string name = pending.back();
    pending.pop_back();
    auto found = std::find_if(modules.begin(), modules.end(), [&](const ModuleFile& m) { return m.name == name; });
    if (found == modules.end() || !reached.insert(name).second) continue;
    automaticReached = automaticReached || !found->isExplicit;
    pending.insert(pending.end(), found->requiredModules.begin(), found->requiredModules.end());
    if (automaticReached) {
      for (const ModuleFile& module : modules) {
        if (!module.isExplicit) pending.push_back(module.name);
      }
    }
  }
  std::vector<ModuleFile> resolved;
  for (const ModuleFile& module : modules) {
    if (reached.contains(module.name)) resolved.push_back(module);
  }
  return resolved;
}

std::string automaticModuleName(const std::string& fileName, const std::optional<std::string>& manifestName) {
  if (manifestName) return *manifestName;
  std::string stem = fileName.substr(0, fileName.rfind('.'));
  // A version begins at a "-" followed by a digit and then a "." or the end.
  for (size_t dash = stem.find('-'); dash != std::string::npos; dash = stem.find('-', dash + 1)) {
    size_t digits = dash + 1;
    while (digits < stem.size() && std::isdigit(static_cast<unsigned char>(stem[digits]))) ++digits;
    if (digits > dash + 1 && (digits == stem.size() || stem[digits] == '.')) {
      stem.erase(dash);
      break;
    }
  }
  std::string name;
  for (char c : stem) {
    bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0;
    if (plain) name += c;
    else if (!name.empty() && name.back() != '.') name += '.';
  }
  while (name.ends_with('.')) name.pop_back();
  return name;
}

}  // namespace kvx::bundle
