// Property-list files whose root must be a dictionary: information
// dictionaries, user-defaults domains, configurations handed to the tools.
#pragma once

#include <optional>
#include <string>

#include "plist/plist.h"

namespace kvx::platform {

struct DictionaryFile {
  enum class Status { Read, Missing, NotAPropertyList, NotADictionary };
  Status status = Status::Missing;
  // Set when status is Read.
  std::optional<plist::Value> dictionary;
  // Why there is no dictionary, in one line without the path: the reader's
  // own reason for a file that does not parse.
  std::string reason;

  bool read() const { return status == Status::Read; }
};

// A file that cannot be read counts as missing.
DictionaryFile readDictionaryFile(const std::string& path);

}  // namespace kvx::platform
