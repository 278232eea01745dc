// Shared by the readers: a dictionary read from a document whose keys may
// repeat. As with the platform's own readers, the later value of a repeated
// key wins; the key keeps the place where it first appeared.
#pragma once

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "plist/plist.h"

namespace kvx::plist::detail {

inline bool hasRepeatedKeysFew(const Dictionary& entries) {
  for (size_t i = 1; i < entries.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (entries[i].first == entries[j].first) return true;
    }
  }
  return false;
}

inline Dictionary withoutRepeatedKeys(Dictionary entries) {
  // Small dictionaries, nearly all of them, are checked without allocating.
  if (entries.size() < 2 || (entries.size() <= 16 && !hasRepeatedKeysFew(entries))) return entries;
  std::vector<size_t> order(entries.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return entries[a].first < entries[b].first; });
  std::vector<bool> dropped(entries.size(), false);
  bool anyDropped = false;
  for (size_t i = 0; i < order.size();) {
    size_t end = i + 1;
    while (end < order.size() && entries[order[end]].first == entries[order[i]].first) ++end;
    if (end - i > 1) {
      // Stable sort keeps the group in document order: first place, last value.
      entries[order[i]].second = std::move(entries[order[end - 1]].second);
      for (size_t j = i + 1; j < end; ++j) dropped[order[j]] = true;
      anyDropped = true;
    }
    i = end;
  }
  if (!anyDropped) return entries;
  Dictionary kept;
  kept.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!dropped[i]) kept.push_back(std::move(entries[i]));
  }
  return kept;
}

}  // namespace kvx::plist::detail
