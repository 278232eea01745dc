#include "main_class.h"

#include <algorithm>

#include "jar_archive.h"
#include "jar_manifest.h"
#include "java_version.h"
#include "platform/paths.h"

namespace kvx::bundle {
namespace {

constexpr size_t kJarsNamedInAMessage = 5;

std::optional<std::vector<JarArchive>> openJars(const MainClassRequest& request, std::string* error) {
  std::vector<JarArchive> archives;
  for (const std::string& jar : request.jars) {
    std::optional<JarArchive> archive = JarArchive::open(platform::joinPath(request.input, jar), error);
    if (!archive) return std::nullopt;
    archives.push_back(std::move(*archive));
  }
  return archives;
}

std::string withoutDotSlash(std::string path) {
  while (path.starts_with("./")) path.erase(0, 2);
  return path;
}

std::string jarList(const std::vector<std::string>& jars) {
  std::string list;
  for (size_t i = 0; i < jars.size() && i < kJarsNamedInAMessage; ++i) list += (i ? ", " : "") + jars[i];
  if (jars.size() > kJarsNamedInAMessage) {
    list += " and " + std::to_string(jars.size() - kJarsNamedInAMessage) + " more";
  }
  return list;
}

std::optional<std::string> manifestMainClass(const JarArchive& jar) {
  std::string ignored;
  std::optional<std::string> manifest = jar.hasEntry("META-INF/MANIFEST.MF")
                                            ? jar.readEntry("META-INF/MANIFEST.MF", 1 << 20, &ignored)
                                            : std::nullopt;
  return manifest ? mainAttribute(*manifest, "Main-Class") : std::nullopt;
}

// With neither --main-jar nor --main-class: the one jar whose manifest
// names a Main-Class, the way an application's own jar differs from the
// libraries beside it.
std::optional<size_t> jarNamingAMainClass(const MainClassRequest& request, const std::vector<JarArchive>& jars,
                                          std::string* error) {
  std::vector<size_t> naming;
  for (size_t i = 0; i < jars.size(); ++i) {
    if (manifestMainClass(jars[i])) naming.push_back(i);
  }
  if (naming.size() == 1) return naming[0];
  if (jars.size() == 1) return 0;  // its manifest's lack is reported with its name
  std::vector<std::string> names;
  names.reserve(naming.size());
  for (size_t i : naming) names.push_back(request.jars[i]);
  *error = naming.empty() ? "none of the " + std::to_string(jars.size()) + " jars of " + request.input +
                                " names a Main-Class in its manifest; name the class with --main-class"
                          : std::to_string(naming.size()) + " jars of " + request.input + " name a Main-Class (" +
                                jarList(names) + "); name the main one with --main-jar";
  return std::nullopt;
}

// The index of the main jar in request.jars; jars.size() when it is left to
// the class to decide.
std::optional<size_t> mainJarIndex(const MainClassRequest& request, const std::vector<JarArchive>& jars,
                                   std::string* error) {
  if (request.mainJar) {
    auto found = std::find(request.jars.begin(), request.jars.end(), withoutDotSlash(*request.mainJar));
    if (found != request.jars.end()) return static_cast<size_t>(found - request.jars.begin());
    *error = "--main-jar " + *request.mainJar + ": no such jar in " + request.input;
    return std::nullopt;
  }
  if (request.mainClass) return jars.size();
  return jarNamingAMainClass(request, jars, error);
}

std::optional<std::string> mainClassOfJar(const JarArchive& jar, std::string* error) {
  std::optional<std::string> mainClass = manifestMainClass(jar);
  if (!mainClass) *error = jar.path() + " names no Main-Class in its manifest; name the class with --main-class";
  return mainClass;
}

// The release the class file needs, from its header (magic, minor, major).
std::optional<std::string> requiredJava(const JarArchive& jar, const std::string& entry, std::string* error) {
  std::optional<std::string> head = jar.readEntry(entry, 8, error);
  if (!head) return std::nullopt;
  if (head->size() < 8 || head->compare(0, 4, "\xCA\xFE\xBA\xBE") != 0) {
    *error = jar.path() + ": " + entry + " is not a class file";
    return std::nullopt;
  }
  int major = (static_cast<unsigned char>((*head)[6]) << 8) | static_cast<unsigned char>((*head)[7]);
  return javaVersionForClassFile(major);
}

// The entry of a class named with dots (or slashes) in a jar.
std::string classEntry(std::string className) {
  std::replace(className.begin(), className.end(), '.', '/');
  return className + ".class";
}

// The index of the jar that holds entry, the main jar tried first; nullopt
// when none does.
std::optional<size_t> jarHolding(const std::vector<JarArchive>& jars, size_t mainJar, const std::string& entry) {
  if (mainJar < jars.size() && jars[mainJar].hasEntry(entry)) return mainJar;
  for (size_t i = 0; i < jars.size(); ++i) {
    if (jars[i].hasEntry(entry)) return i;
  }
  return std::nullopt;
}

}  // namespace

std::optional<MainClassChoice> chooseMainClass(const MainClassRequest& request, std::string* error) {
  if (request.jars.empty()) {
    *error = request.input + " holds no jar: the class path is made of the input's jars";
    return std::nullopt;
  }
  std::optional<std::vector<JarArchive>> jars = openJars(request, error);
  std::optional<size_t> mainJar = jars ? mainJarIndex(request, *jars, error) : std::nullopt;
  if (!mainJar) return std::nullopt;
  std::optional<std::string> className =
      request.mainClass ? request.mainClass : mainClassOfJar((*jars)[*mainJar], error);
  if (!className) return std::nullopt;

  std::string entry = classEntry(*className);
  std::optional<size_t> holder = jarHolding(*jars, *mainJar, entry);
  if (!holder) {
    *error = "main class " + *className + " is in none of the jars of " + request.input + ": " +
             jarList(request.jars);
    return std::nullopt;
  }
  std::optional<std::string> minimum = requiredJava((*jars)[*holder], entry, error);
  if (!minimum) return std::nullopt;
  size_t first = *mainJar < request.jars.size() ? *mainJar : *holder;
  return MainClassChoice{*className, request.jars[first], *minimum};
}

}  // namespace kvx::bundle
