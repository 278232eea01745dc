// Bundles: the application bundle the launcher runs in, and directories
// opened as bundles (the Java runtimes' own reading is java_runtime/).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plist/plist.h"

namespace kvx::platform {

class Bundle {
 public:
  // Opens a directory as a bundle; null when there is no directory there. A
  // directory without Contents/ is a bundle without information dictionary
  // or executable.
  static std::shared_ptr<Bundle> open(const std::string& directory);

  const std::string& path() const { return path_; }
  // The information dictionary; an empty dictionary when the bundle has none.
  const plist::Value& infoDictionary() const { return info_; }
  const plist::Value* infoValue(std::string_view key) const { return info_.get(key); }
  // The executable's path, or nullopt when the bundle names none.
  const std::optional<std::string>& executablePath() const { return executable_; }
  // The processor types of the executable; nullopt when it has none or
  // cannot be read.
  std::optional<std::vector<int32_t>> executableArchitectures() const;

  Bundle(std::string path, plist::Value info, std::optional<std::string> executable)
      : path_(std::move(path)), info_(std::move(info)), executable_(std::move(executable)) {}

 private:
  std::string path_;
  plist::Value info_;
  std::optional<std::string> executable_;
};

// The application bundle that holds the running executable: the executable
// at X/Contents/MacOS/name belongs to X. Otherwise the bundle is the
// executable's directory, with no information dictionary.
struct MainBundle {
  std::string path;
  std::optional<plist::Value> infoDictionary;
  // Why an Info.plist that is there gave no dictionary; empty otherwise.
  std::string infoDictionaryError;
  // Where the information dictionary belongs (X/Contents/Info.plist); empty
  // for an executable that lies in no bundle.
  std::string infoDictionaryPath;
};

}  // namespace kvx::platform
