// A further launcher of the application (--add-launcher NAME=FILE): its own
// main class, arguments, options of the virtual machine, icon and
// description, sharing the application's files and runtime.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::bundle {

struct AddedLauncher {
  std::string name;
  std::string file;                                     // the properties file it was read from
  std::optional<std::string> mainClass;                 // else the application's
  std::optional<std::string> mainJar;
  std::optional<std::vector<std::string>> arguments;    // when given, in place of the application's
  std::optional<std::vector<std::string>> javaOptions;  // likewise
  std::optional<std::string> icon;                      // a PNG file; else the application's
  std::optional<std::string> description;               // else the application's
};

// The launcher that "NAME=FILE" names, FILE read as a properties file with
// the keys main-class, main-jar, arguments, java-options (each split at
// blanks, "quotes" keeping a word whole), icon and description. nullopt with
// one line in *error: no "=", a name that is no plain file name (letters,
// digits, "-", "_", "." and not "." first), an unknown key.
std::optional<AddedLauncher> readAddedLauncher(const std::string& option, std::string* error);

}  // namespace kvx::bundle
