#include "startup_cache/launch_options.h"

#include <array>
#include <cctype>
#include <string_view>

namespace kvx {
namespace {

// Options whose value is the next element.
bool takesSeparateValue(std::string_view option) {
  return option == "-cp" || option == "-classpath" || option == "--class-path" || option == "-p" ||
         option == "--module-path";
}

// "-XX:" flags that turn sharing on or off, or name its files.
constexpr std::array<std::string_view, 7> kDecidingFlags = {
    "SharedArchiveFile", "ArchiveClassesAtExit", "AutoCreateSharedArchive", "SharedClassListFile",
    "DumpLoadedClassList", "UseSharedSpaces", "RequireSharedSpaces",
};

bool decidesSharing(std::string_view option) {
  if (option.starts_with("-Xshare:")) return true;
  if (!option.starts_with("-XX:")) return false;
  std::string_view flag = option.substr(4);
  if (flag.starts_with('+') || flag.starts_with('-')) flag.remove_prefix(1);
  flag = flag.substr(0, flag.find('='));
  // Every flag of the ahead-of-time cache begins so: AOTCache, AOTMode, AOTConfiguration, …
  if (flag.starts_with("AOT")) return true;
  for (std::string_view name : kDecidingFlags) {
    if (flag == name) return true;
  }
  return false;
}

bool isUncheckedOption(std::string_view option) {
  if (option.starts_with("-D")) return !isLoadingProperty(option);
  return option.starts_with("-Xlog") || option.starts_with("-verbose") || option.starts_with("-splash:");
}

}  // namespace

bool isLoadingProperty(std::string_view option) {
  return option.starts_with("-Djdk.module.") || option.starts_with("-Djava.system.class.loader=");
}

std::optional<std::string> decidingOption(const OptionList& options, const OptionList& variableOptions) {
  for (const OptionList* list : {&options, &variableOptions}) {
    for (const std::string& option : *list) {
      if (decidesSharing(option)) return option;
    }
  }
  return std::nullopt;
}

std::optional<std::string> argumentFileOption(const OptionList& options) {
  for (const std::string& option : options) {
    if (option.starts_with('@') || option.starts_with("-XX:VMOptionsFile=") ||
        option.starts_with("-XX:Flags=")) {
      return option;
    }
  }
  return std::nullopt;
}

std::string effectiveClassPath(const OptionList& options,
                               const std::optional<std::string>& classPathVariable) {
  std::optional<std::string> classPath = classPathVariable;
  for (size_t i = 0; i < options.size(); ++i) {
    const std::string& option = options[i];
    if (option.starts_with("-Djava.class.path=")) {
      classPath = option.substr(18);
    } else if (option.starts_with("--class-path=")) {
      classPath = option.substr(13);
    } else if ((option == "-cp" || option == "-classpath" || option == "--class-path") &&
               i + 1 < options.size()) {
      classPath = options[++i];
    }
  }
  return classPath.value_or(".");
}

OptionList keyedOptions(const OptionList& options) {
  OptionList keyed;
  for (size_t i = 0; i < options.size(); ++i) {
    const std::string& option = options[i];
    if (takesSeparateValue(option)) {
      ++i;
    } else if (!isUncheckedOption(option) && !option.starts_with("--class-path=") &&
               !option.starts_with("--module-path=") && !option.starts_with("-Xbootclasspath/a:")) {
      keyed.push_back(option);
    }
  }
  return keyed;
}

OptionList splitVariableOptions(const std::string& value) {
  OptionList options;
  std::string current;
  bool inOption = false;
  char quote = 0;
  for (char c : value) {
    if (quote != 0) {
      if (c == quote) quote = 0; else current += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      inOption = true;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      if (inOption) options.push_back(current);
      current.clear();
      inOption = false;
    } else {
      current += c;
      inOption = true;
    }
  }
  if (inOption) options.push_back(current);
  return options;
}

}  // namespace kvx
