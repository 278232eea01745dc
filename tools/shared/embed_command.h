// Writing a configuration into a copy of a launcher stub.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "plist/plist.h"

namespace kvx::embed {

struct EmbedRequest {
  std::string stub;
  std::string config;
  std::string output;
};

// Writes request.config into a copy of request.stub at request.output. On
// failure returns false and puts one line into *message, naming the file at fault.
bool embedConfiguration(const EmbedRequest& request, std::string* message);

// Writes dictionary into a copy of stub at output; configName stands for the
// configuration in a message that it is too large.
bool embedDictionary(const std::string& stub, const plist::Value& dictionary,
                     const std::string& configName, const std::string& output, std::string* message);

struct FilledLauncher {
  std::string bytes;
  uint32_t permissions = 0;
};

// A copy of stub carrying dictionary, for the caller to write where it
// will; nullopt with *message set as embedDictionary sets it.
std::optional<FilledLauncher> launcherWithDictionary(const std::string& stub, const plist::Value& dictionary,
                                                     const std::string& configName, std::string* message);

// Whether stub is a launcher stub that carries no configuration yet, as the
// executable of an application bundle must be: one that carries one would
// read it instead of the bundle's Info.plist.
bool checkPlainStub(const std::string& stub, std::string* message);

// The configuration a command-line launcher carries, as it was embedded;
// nullopt with *message naming the file when it is no launcher stub, carries
// none, or what it carries is no property list.
std::optional<plist::Value> carriedConfiguration(const std::string& launcher, std::string* message);

}  // namespace kvx::embed
