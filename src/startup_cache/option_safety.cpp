#include "startup_cache/option_safety.h"

#include <array>
#include <string_view>

#include "base/text.h"
#include "startup_cache/launch_options.h"

namespace kvx {
namespace {

bool isExactOrWithValue(std::string_view option, std::string_view name, char separator) {
  return option == name || (option.starts_with(name) && option.size() > name.size() && option[name.size()] == separator);
}

bool isAssertionSwitch(std::string_view option) {
  constexpr std::array<std::string_view, 8> kSwitches = {
      "-ea", "-da", "-esa", "-dsa", "-enableassertions", "-disableassertions",
      "-enablesystemassertions", "-disablesystemassertions"};
  for (std::string_view name : kSwitches) {
    if (isExactOrWithValue(option, name, ':')) return true;
  }
  return false;
}

// Tags whose messages tell where classes came from or how archives were
// used: with a cache they would read differently.
bool isSharingTag(std::string_view tag) {
  return tag == "all" || tag == "class" || tag == "cds" || tag == "aot" || tag == "module" || tag.empty();
}

// "-Xlog:gc*:file=gc.log" is harmless; "-Xlog", "-Xlog:class+load" are not.
bool isHarmlessLog(std::string_view option) {
  if (option == "-Xlog:disable") return true;
  if (!option.starts_with("-Xlog:")) return false;
  std::string_view selection = option.substr(6);
  selection = selection.substr(0, selection.find(':'));
  if (selection.empty()) return false;
  for (std::string_view selector : splitAt(selection, ',')) {
    selector = selector.substr(0, selector.find('='));
    if (selector == "disable") continue;
    if (selector.ends_with('*')) selector.remove_suffix(1);
    for (std::string_view tag : splitAt(selector, '+')) {
      if (isSharingTag(tag)) return false;
    }
  }
  return true;
}

// -XX flags whose only effects are on what happens after a failure or on
// performance counters.
bool isHarmlessFlag(std::string_view option) {
  constexpr std::array<std::string_view, 8> kFlags = {
      "-XX:+HeapDumpOnOutOfMemoryError", "-XX:-HeapDumpOnOutOfMemoryError", "-XX:+ExitOnOutOfMemoryError",
      "-XX:+CrashOnOutOfMemoryError",    "-XX:-UsePerfData",                "-XX:+UsePerfData",
      "-XX:+PerfDisableSharedMem",       "-XX:+UnlockDiagnosticVMOptions"};
  constexpr std::array<std::string_view, 4> kValued = {"-XX:HeapDumpPath=", "-XX:ErrorFile=",
                                                      "-XX:OnOutOfMemoryError=", "-XX:OnError="};
  for (std::string_view flag : kFlags) {
    if (option == flag) return true;
  }
  for (std::string_view flag : kValued) {
    if (option.starts_with(flag)) return true;
  }
  return false;
}

bool isHarmless(std::string_view option) {
  if (option.starts_with("-D")) return !isLoadingProperty(option) && !option.starts_with("-Djava.class.path=");
  return isAssertionSwitch(option) || isHarmlessLog(option) || isHarmlessFlag(option) ||
         option.starts_with("-Xss") || option.starts_with("-Xms") || option.starts_with("-Xmn") ||
         option == "-Xrs" || option.starts_with("-splash:") || option == "-verbose:gc";
}

// Up to 24 the archive holds no module graph that agents or the flight
// recorder would change; from 25 the linked classes need the very graph
// they were built with, and these add modules to it.
bool isHarmlessBefore25(std::string_view option) {
  return option.starts_with("-javaagent:") || option.starts_with("-XX:StartFlightRecording") ||
         option.starts_with("-XX:FlightRecorderOptions");
}

constexpr std::array<std::string_view, 4> kModuleGraphOptions = {"--add-opens", "--add-exports", "--add-reads",
                                                                 "--enable-native-access"};

bool shapesArchive(std::string_view option) {
  return option.starts_with("-Xmx") || option.starts_with("-XX:MaxHeapSize=") ||
         option.starts_with("-XX:MaxRAMPercentage=") || option == "-XX:+UseG1GC" || option == "-XX:+UseSerialGC" ||
         option == "-XX:+UseParallelGC";
}

bool isClassPathOption(std::string_view option) {
  return option.starts_with("-Djava.class.path=") || option.starts_with("--class-path=");
}

}  // namespace

OptionRole roleOf(const OptionList& options, size_t i, int majorVersion, size_t* consumed) {
  std::string_view option = options[i];
  *consumed = 1;
  if (option == "-cp" || option == "-classpath" || option == "--class-path") {
    *consumed = 2;
    return i + 1 < options.size() ? OptionRole::ClassPath : OptionRole::Unknown;
  }
  if (isClassPathOption(option)) return OptionRole::ClassPath;
  for (std::string_view name : kModuleGraphOptions) {
    if (option.starts_with(name) && option.size() > name.size() && option[name.size()] == '=') {
      return OptionRole::ShapesArchive;
    }
    if (option == name) {
      *consumed = 2;
      return i + 1 < options.size() ? OptionRole::ShapesArchive : OptionRole::Unknown;
    }
  }
  if (shapesArchive(option)) return OptionRole::ShapesArchive;
  if (isHarmless(option) || (majorVersion < 25 && isHarmlessBefore25(option))) return OptionRole::Harmless;
  return OptionRole::Unknown;
}

std::optional<std::string> unknownOption(const OptionList& options, const OptionList& variableOptions,
                                         int majorVersion) {
  size_t consumed = 1;
  for (size_t i = 0; i < options.size(); i += consumed) {
    if (roleOf(options, i, majorVersion, &consumed) == OptionRole::Unknown) return options[i];
  }
  for (size_t i = 0; i < variableOptions.size(); i += consumed) {
    if (roleOf(variableOptions, i, majorVersion, &consumed) != OptionRole::Harmless) return variableOptions[i];
  }
  return std::nullopt;
}

OptionList archiveShapingOptions(const OptionList& options, int majorVersion) {
  OptionList shaping;
  size_t consumed = 1;
  for (size_t i = 0; i < options.size(); i += consumed) {
    if (roleOf(options, i, majorVersion, &consumed) != OptionRole::ShapesArchive) continue;
    shaping.insert(shaping.end(), options.begin() + static_cast<long>(i),
                   options.begin() + static_cast<long>(i + consumed));
  }
  return shaping;
}

}  // namespace kvx
