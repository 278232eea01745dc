// Bundles: the application bundle the launcher runs in, and runtime
// directories opened as bundles.
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
  // Opens a directory as a bundle; null when there is no directory there.
  static std::shared_ptr<Bundle> open(const std::string& directory);

  const std::string& path() const { return path_; }
  // The information dictionary; an empty dictionary when the bundle has none.
  const plist::Value& infoDictionary() const { return info_; }
  const plist::Value* infoValue(std::string_view key) const { return info_.get(key); }
  // The runtime's version as its information dictionary names it: "JavaVM"
  // → "JVMVersion" (a plain home's comes from its release file). nullopt
  // when it names none, and when a value has the wrong type; then
  // *wrongType, when given, says which, for a caller that refuses such a runtime.
  std::optional<std::string> jvmVersion(std::string* wrongType = nullptr) const;
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

// The value of key in the release file of a runtime's home (lines of
// KEY=VALUE, the value in quotes), without its quotes; nullopt when there is
// no such file or line.
std::optional<std::string> releaseValue(const std::string& home, std::string_view key);
// JAVA_VERSION of that file.
std::optional<std::string> releaseJavaVersion(const std::string& home);

// Where a runtime keeps its launch library, relative to runtimePath: the
// first of its places that exists, in the order the runtime layouts have used
// them; nullopt when there is none. The launcher and the packaging tool both
// look here, so that a runtime the tool ships is one the launcher can start.
std::optional<std::string> launchLibraryIn(const std::string& runtimePath);
// The launch library a runtime is started through: launchLibraryIn, else
// lib/ untested. A plain runtime home's executable is this file too.
std::string launchLibraryPath(const std::string& runtimePath);

// Where a runtime keeps its home: a runtime bundle in Contents/Home, a plain
// runtime home (no Contents/, such as a Linux JDK) in itself.
std::string runtimeHome(const std::string& runtimePath);

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
