#include "params/main_entry.h"

#include "plist/plist.h"

namespace kvx {

std::vector<std::string> MainEntry::launchEntries() const {
  if (isModule) return {"-m", name};
  return {name};
}

std::string MainEntry::text() const { return isModule ? "-m " + name : name; }

std::optional<MainEntry> configuredMainEntry(const RunState& run) {
  if (OptString module = run.configString(config::kMainModule)) {
    return MainEntry{true, *module};
  }
  if (OptString mainClass = run.configString(config::kMainClass)) {
    return MainEntry{false, *mainClass};
  }
  return std::nullopt;
}

}  // namespace kvx
