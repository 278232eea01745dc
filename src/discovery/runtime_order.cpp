#include "discovery/runtime_order.h"

#include <algorithm>
#include <numeric>
#include <set>

#include "discovery/version_tokens.h"
#include "java_runtime/runtime_layout.h"
#include "java_runtime/runtime_names.h"
#include "platform/bundle.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx {
namespace {

struct Candidate {
  RuntimeEntry entry;
  bool isLink = false;
};

// Leaves out links to another entry of the directory, and links to a runtime
// an earlier link already reached: the real directory is kept, under its own name.
std::vector<RuntimeEntry> withoutAliases(const std::string& directory, std::vector<Candidate> candidates) {
  const std::string realDirectory = platform::resolveSymlinks(directory).value_or(directory);
  std::set<std::string> reached;
  for (const Candidate& candidate : candidates) {
    if (!candidate.isLink) reached.insert(platform::joinPath(realDirectory, candidate.entry.name));
  }
  std::vector<RuntimeEntry> kept;
  kept.reserve(candidates.size());
  for (Candidate& candidate : candidates) {
    if (candidate.isLink) {
      std::optional<std::string> target =
          platform::resolveSymlinks(platform::joinPath(directory, candidate.entry.name));
      if (target && !reached.insert(*target).second) continue;
    }
    kept.push_back(std::move(candidate.entry));
  }
  return kept;
}

OptString runtimeVersionOf(const std::string& path) {
  // Most entries are plain homes: their release file is tried first.
  OptString version = java_runtime::releaseJavaVersion(path);
  return version ? version : java_runtime::releaseJavaVersion(platform::joinPath(path, "Contents/Home"));
}

// Newest version first; equal versions, and every entry without one, keep
// the order they came in.
void sortByVersion(std::vector<Candidate>& candidates) {
  std::vector<version::TokenList> keys;
  keys.reserve(candidates.size());
  for (const Candidate& c : candidates) {
    keys.push_back(c.entry.version ? version::tokenize(*c.entry.version) : version::TokenList());
  }
  std::vector<size_t> order(candidates.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    const bool hasX = candidates[x].entry.version.has_value();
    if (hasX != candidates[y].entry.version.has_value()) return hasX;
    return hasX && version::compareTokens(keys[y], keys[x]) < 0;
  });
  std::vector<Candidate> sorted;
  sorted.reserve(candidates.size());
  for (size_t i : order) sorted.push_back(std::move(candidates[i]));
  candidates = std::move(sorted);
}

}  // namespace

std::vector<RuntimeEntry> runtimeEntriesNewestFirst(const std::string& directory,
                                                    std::vector<platform::DirectoryEntry> listing) {
  std::vector<std::string> names;
  std::set<std::string> links;
  for (platform::DirectoryEntry& entry : listing) {
    if (entry.isSymbolicLink) links.insert(entry.name);
    names.push_back(std::move(entry.name));
  }
  version::sortRuntimeNamesNewestFirst(names);
  std::vector<Candidate> candidates;
  candidates.reserve(names.size());
  for (std::string& name : names) {
    const bool isLink = links.count(name) != 0;
    OptString version;
    if constexpr (kRuntimeNamesCarryVendor) version = runtimeVersionOf(platform::joinPath(directory, name));
    candidates.push_back({{std::move(name), std::move(version)}, isLink});
  }
  if constexpr (!kRuntimeNamesCarryVendor) {
    std::vector<RuntimeEntry> entries;
    entries.reserve(candidates.size());
    for (Candidate& c : candidates) entries.push_back(std::move(c.entry));
    return entries;
  }
  sortByVersion(candidates);
  return withoutAliases(directory, std::move(candidates));
}

}  // namespace kvx
