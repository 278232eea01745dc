// Runtime directories opened as bundles. A directory with Contents/ is a
// bundle as the runtime installers lay it out; a plain JDK home (a release
// file naming JAVA_VERSION) is presented as one too, so that every search
// location can judge it the same way.
#include "platform/bundle.h"

#include <array>

#include "base/text.h"
#include "image/executable_architectures.h"
#include "platform/dictionary_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/runtime_names.h"
#include "platform/read_limits.h"

namespace kvx::platform {
namespace {

// Enough for a Mach-O or ELF header and the largest fat table we accept.
constexpr size_t kHeaderBytes = 4096;

// Where an information dictionary names the runtime's version.
constexpr const char* kJavaVMKey = "JavaVM";
constexpr const char* kJVMVersionKey = "JVMVersion";

plist::Value emptyDictionary() { return plist::Value::dictionary({}); }

std::shared_ptr<Bundle> openContentsBundle(const std::string& directory) {
  std::string contents = joinPath(directory, "Contents");
  DictionaryFile file = readDictionaryFile(joinPath(contents, "Info.plist"));
  plist::Value info = file.read() ? std::move(*file.dictionary) : emptyDictionary();
  std::optional<std::string> executable;
  const plist::Value* name = info.get("CFBundleExecutable");
  if (name && name->isString() && !name->str().empty())
    executable = joinPath(joinPath(contents, "MacOS"), name->str());
  return std::make_shared<Bundle>(directory, std::move(info), std::move(executable));
}

// Its executable is the very file the launch will open, so that the file
// whose processor is checked is the one that is loaded.
std::shared_ptr<Bundle> openPlainHome(const std::string& directory, const std::string& version) {
  plist::Value info = plist::Value::dictionary(
      {{kJavaVMKey, plist::Value::dictionary({{kJVMVersionKey, plist::Value::string(version)}})}});
  return std::make_shared<Bundle>(directory, std::move(info), launchLibraryPath(directory));
}

}  // namespace

std::shared_ptr<Bundle> Bundle::open(const std::string& directory) {
  if (!isDirectory(directory)) return nullptr;
  if (isDirectory(joinPath(directory, "Contents"))) return openContentsBundle(directory);
  if (std::optional<std::string> version = releaseJavaVersion(directory))
    return openPlainHome(directory, *version);
  return std::make_shared<Bundle>(directory, emptyDictionary(), std::nullopt);
}

std::optional<std::string> releaseJavaVersion(const std::string& home) {
  return releaseValue(home, "JAVA_VERSION");
}

std::optional<std::string> releaseValue(const std::string& home, std::string_view key) {
  // What lies beyond the limit is no part of a release file.
  std::optional<std::string> release = readFileHead(joinPath(home, "release"), read_limit::kReleaseFile);
  if (!release) return std::nullopt;
  constexpr std::string_view kBlanks = " \t\r";
  for (std::string_view line : splitAt(*release, '\n')) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || trimmed(line.substr(0, equals), kBlanks) != key)
      continue;
    std::string value(trimmed(line.substr(equals + 1), kBlanks));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return std::nullopt;
}

std::optional<std::string> Bundle::jvmVersion(std::string* wrongType) const {
  const plist::Value* javaVM = infoValue(kJavaVMKey);
  if (!javaVM) return std::nullopt;
  const plist::Value* version = javaVM->isDictionary() ? javaVM->get(kJVMVersionKey) : nullptr;
  if (version && version->isString()) return version->str();
  if (wrongType && !javaVM->isDictionary()) {
    *wrongType = "\"" + std::string(kJavaVMKey) + "\" is not a dictionary";
  } else if (wrongType && version) {
    *wrongType = "The value of \"" + std::string(kJVMVersionKey) + "\" is " + plist::typeName(version->type()) +
                 ", not a string.";
  }
  return std::nullopt;
}

std::optional<std::string> launchLibraryIn(const std::string& runtimePath) {
  // Older runtimes keep the library in a nested jre, newer ones in lib/ or lib/jli/.
  constexpr std::array<const char*, 5> kLibraryDirectories = {
      "Contents/Home/jre/lib/jli/", "Contents/Home/lib/jli/", "Contents/Home/lib/", "lib/jli/", "lib/",
  };
  for (const char* directory : kLibraryDirectories) {
    std::string candidate = std::string(directory) + kLaunchLibraryName;
    if (fileExists(joinPath(runtimePath, candidate))) return candidate;
  }
  return std::nullopt;
}

std::string launchLibraryPath(const std::string& runtimePath) {
  // Not tested: if it is not there either, opening it reports the failure.
  return joinPath(runtimePath, launchLibraryIn(runtimePath).value_or(std::string("lib/") + kLaunchLibraryName));
}

std::string runtimeHome(const std::string& runtimePath) {
  if (isDirectory(joinPath(runtimePath, "Contents"))) return joinPath(runtimePath, "Contents/Home");
  return runtimePath;
}

std::optional<std::vector<int32_t>> Bundle::executableArchitectures() const {
  if (!executable_) return std::nullopt;
  std::optional<std::string> head = readFileHead(*executable_, kHeaderBytes);
  if (!head) return std::nullopt;
  std::vector<int32_t> types = image::executableFileArchitectures(*head);
  if (types.empty()) return std::nullopt;
  return types;
}

}  // namespace kvx::platform
