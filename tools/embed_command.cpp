#include "embed_command.h"

#include <optional>

#include "config_note_writer.h"
#include "elf_config_region.h"
#include "platform/dictionary_file.h"
#include "platform/file_replace.h"
#include "platform/files.h"
#include "plist/plist.h"

namespace kvx::embed {
namespace {

bool fail(std::string* message, const std::string& file, const std::string& reason) {
  *message = file + ": " + reason;
  return false;
}

// The configuration in the stored (binary) form, or nullopt with *message set.
std::optional<std::string> storedList(const std::string& path, std::string* message) {
  platform::DictionaryFile file = platform::readDictionaryFile(path);
  switch (file.status) {
    case platform::DictionaryFile::Status::Read:
      return plist::writeBinary(*file.dictionary);
    case platform::DictionaryFile::Status::Missing:
      fail(message, path, "cannot be read");
      break;
    case platform::DictionaryFile::Status::NotAPropertyList:
      fail(message, path, "is not a property list: " + file.reason);
      break;
    case platform::DictionaryFile::Status::NotADictionary:
      fail(message, path, "its root is not a dictionary");
      break;
  }
  return std::nullopt;
}

}  // namespace

bool embedConfiguration(const EmbedRequest& request, std::string* message) {
  std::optional<std::string> stub = platform::readFile(request.stub);
  if (!stub) return fail(message, request.stub, "cannot be read");
  std::optional<uint32_t> permissions = platform::filePermissions(request.stub);
  if (!permissions) return fail(message, request.stub, "cannot be read");
  if (platform::isSameFile(request.stub, request.output)) {
    return fail(message, request.output, "is the stub itself; the stub is never changed");
  }
  std::optional<std::string> list = storedList(request.config, message);
  if (!list) return false;

  std::string error;
  std::optional<ConfigRegion> region = findConfigRegion(*stub, &error);
  if (!region) return fail(message, request.stub, error);
  std::optional<std::string> filled = fillConfigRegion(region->size, *list);
  if (!filled) {
    return fail(message, request.config,
                "too large: " + std::to_string(list->size()) + " bytes stored, the stub holds at most " +
                    std::to_string(configCapacity(region->size)));
  }
  stub->replace(region->offset, region->size, *filled);
  if (!platform::replaceFile(request.output, *stub, *permissions, &error)) {
    return fail(message, request.output, "cannot be written: " + error);
  }
  return true;
}

}  // namespace kvx::embed
