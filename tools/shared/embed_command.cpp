#include "embed_command.h"

#include <optional>

#include "config_note_writer.h"
#include "elf_config_region.h"
#include "platform/dictionary_file.h"
#include "platform/file_replace.h"
#include "platform/files.h"
#include "platform/read_limits.h"

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
      // One that is there says why it cannot be read (not a regular file, too large).
      fail(message, path, platform::fileExists(path) ? file.reason : "cannot be read");
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

struct StubFile {
  std::string bytes;
  uint32_t permissions = 0;
  ConfigRegion region;
};

std::optional<StubFile> readStub(const std::string& path, std::string* message) {
  std::string unreadable;
  std::optional<std::string> bytes = platform::readFile(path, platform::read_limit::kExecutable, &unreadable);
  std::optional<uint32_t> permissions = platform::filePermissions(path);
  if (!bytes || !permissions) {
    const bool missing = unreadable.empty() || !platform::fileExists(path);
    fail(message, path, missing ? "cannot be read" : "cannot be read: " + unreadable);
    return std::nullopt;
  }
  std::string error;
  std::optional<ConfigRegion> region = findConfigRegion(*bytes, &error);
  if (!region) {
    fail(message, path, error);
    return std::nullopt;
  }
  return StubFile{std::move(*bytes), *permissions, *region};
}

std::optional<FilledLauncher> filledWithList(const std::string& stubPath, const std::string& list,
                                             const std::string& configName, std::string* message) {
  std::optional<StubFile> stub = readStub(stubPath, message);
  if (!stub) return std::nullopt;
  std::optional<std::string> filled = fillConfigRegion(stub->region.size, list);
  if (!filled) {
    fail(message, configName,
         "too large: " + std::to_string(list.size()) + " bytes stored, the stub holds at most " +
             std::to_string(configCapacity(stub->region.size)));
    return std::nullopt;
  }
  stub->bytes.replace(stub->region.offset, stub->region.size, *filled);
  return FilledLauncher{std::move(stub->bytes), stub->permissions};
}

bool embedList(const std::string& stubPath, const std::string& list, const std::string& configName,
               const std::string& output, std::string* message) {
  std::optional<FilledLauncher> launcher = filledWithList(stubPath, list, configName, message);
  if (!launcher) return false;
  std::string error;
  if (!platform::replaceFile(output, launcher->bytes, launcher->permissions, &error)) {
    return fail(message, output, "cannot be written: " + error);
  }
  return true;
}

}  // namespace

bool embedConfiguration(const EmbedRequest& request, std::string* message) {
  if (!platform::fileExists(request.stub)) return fail(message, request.stub, "cannot be read");
  if (platform::isSameFile(request.stub, request.output)) {
    return fail(message, request.output, "is the stub itself; the stub is never changed");
  }
  std::optional<std::string> list = storedList(request.config, message);
  if (!list) return false;
  return embedList(request.stub, *list, request.config, request.output, message);
}

bool embedDictionary(const std::string& stub, const plist::Value& dictionary,
                     const std::string& configName, const std::string& output, std::string* message) {
  return embedList(stub, plist::writeBinary(dictionary), configName, output, message);
}

std::optional<FilledLauncher> launcherWithDictionary(const std::string& stub, const plist::Value& dictionary,
                                                     const std::string& configName, std::string* message) {
  return filledWithList(stub, plist::writeBinary(dictionary), configName, message);
}

std::optional<plist::Value> carriedConfiguration(const std::string& launcher, std::string* message) {
  std::optional<StubFile> file = readStub(launcher, message);
  if (!file) return std::nullopt;
  if (!file->region.holdsConfiguration) {
    fail(message, launcher, "carries no configuration (the plain stub)");
    return std::nullopt;
  }
  std::string error;
  std::optional<std::string> list =
      storedListOfRegion(std::string_view(file->bytes).substr(file->region.offset, file->region.size), &error);
  std::optional<plist::Value> configuration = list ? plist::parse(*list, &error) : std::nullopt;
  if (!configuration) fail(message, launcher, "its configuration cannot be read: " + error);
  return configuration;
}

bool checkPlainStub(const std::string& stub, std::string* message) {
  std::optional<StubFile> file = readStub(stub, message);
  if (!file) return false;
  if (file->region.holdsConfiguration) {
    return fail(message, stub, "carries a configuration already (a command-line launcher, not the plain stub)");
  }
  return true;
}

}  // namespace kvx::embed
