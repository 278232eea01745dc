// Directories opened as bundles: Contents/Info.plist is the information
// dictionary, Contents/MacOS/<CFBundleExecutable> the executable.
#include "platform/bundle.h"

#include "image/executable_architectures.h"
#include "platform/dictionary_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/read_limits.h"

namespace kvx::platform {
namespace {

// Enough for a Mach-O or ELF header and the largest fat table we accept.
constexpr size_t kHeaderBytes = 4096;

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

}  // namespace

std::shared_ptr<Bundle> Bundle::open(const std::string& directory) {
  if (!isDirectory(directory)) return nullptr;
  if (isDirectory(joinPath(directory, "Contents"))) return openContentsBundle(directory);
  return std::make_shared<Bundle>(directory, emptyDictionary(), std::nullopt);
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
