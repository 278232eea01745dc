#include "platform/dictionary_file.h"

#include "platform/files.h"
#include "platform/read_limits.h"

namespace kvx::platform {

DictionaryFile readDictionaryFile(const std::string& path) {
  DictionaryFile file;
  std::string unreadable;
  std::optional<std::string> bytes = readFile(path, read_limit::kPropertyList, &unreadable);
  if (!bytes) {
    file.reason = fileExists(path) ? "cannot be read: " + unreadable : "does not exist";
    return file;
  }
  std::optional<plist::Value> value = plist::parse(*bytes, &file.reason);
  if (!value) {
    file.status = DictionaryFile::Status::NotAPropertyList;
    return file;
  }
  if (!value->isDictionary()) {
    file.status = DictionaryFile::Status::NotADictionary;
    file.reason = "the root is not a dictionary";
    return file;
  }
  file.status = DictionaryFile::Status::Read;
  file.dictionary = std::move(value);
  return file;
}

}  // namespace kvx::platform
