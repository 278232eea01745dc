#include "params/main_entry.h"

#include "plist/plist.h"

namespace kvx {

std::vector<std::string> MainEntry::launchEntries() const {
  if (isModule) return {"-m", name};
  return {name};
}

std::string MainEntry::text() const { return isModule ? "-m " + name : name; }

std::optional<MainEntry> configuredMainEntry(const RunState& run) {
  if (OptString module = plist::stringValue(run.configValue("kvx.mainModule"), "kvx.mainModule")) {
    return MainEntry{true, *module};
  }
  if (OptString mainClass = plist::stringValue(run.javaVMValue("MainClass"), "MainClass")) {
    return MainEntry{false, *mainClass};
  }
  return std::nullopt;
}

}  // namespace kvx
