#include "added_launcher.h"

#include <algorithm>

#include "base/utf.h"
#include "properties_file.h"

namespace kvx::bundle {
namespace {

// A launcher's name becomes a file name, a command in /usr/bin and part of
// a desktop entry's name, which take these characters only.
bool validLauncherName(const std::string& name) {
  return !name.empty() && name.front() != '.' && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
  });
}

bool take(AddedLauncher& l, const std::string& key, const std::string& value, std::string* error) {
  auto words = [&](std::optional<std::vector<std::string>>& into) {
    std::string reason;
    into = splitWords(value, &reason);
    if (!into) *error = "--add-launcher " + l.name + "=" + l.file + ": " + key + ": " + reason;
    return into.has_value();
  };
  if (key == "main-class") {
    l.mainClass = value;
  } else if (key == "main-jar") {
    l.mainJar = value;
  } else if (key == "arguments") {
    return words(l.arguments);
  } else if (key == "java-options") {
    return words(l.javaOptions);
  } else if (key == "icon") {
    l.icon = value;
  } else if (key == "description") {
    l.description = value;
  } else {
    *error = "--add-launcher " + l.name + "=" + l.file + ": unknown key \"" + key +
             "\" (main-class, main-jar, arguments, java-options, icon, description)";
    return false;
  }
  return true;
}

}  // namespace

std::optional<AddedLauncher> readAddedLauncher(const std::string& option, std::string* error) {
  size_t equals = option.find('=');
  if (equals == std::string::npos) {
    *error = "--add-launcher \"" + option + "\": NAME=FILE, the launcher's name and its properties file";
    return std::nullopt;
  }
  AddedLauncher launcher;
  launcher.name = option.substr(0, equals);
  launcher.file = option.substr(equals + 1);
  if (!validLauncherName(launcher.name)) {
    *error = "--add-launcher \"" + launcher.name + "\": a launcher's name holds only letters, digits, \"-\", \"_\" and \".\", not \".\" first";
    return std::nullopt;
  }
  std::string reason;
  std::optional<Properties> properties = readPropertiesFile(launcher.file, &reason);
  if (!properties) {
    *error = "--add-launcher " + launcher.name + "=" + reason;
    return std::nullopt;
  }
  for (const auto& [key, value] : *properties) {
    if (!take(launcher, key, value, error)) return std::nullopt;
  }
  return launcher;
}

}  // namespace kvx::bundle
