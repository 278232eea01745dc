#include "jar_manifest.h"

#include <vector>

namespace kvx::bundle {
namespace {

// The manifest's main section as logical lines, continuations joined.
std::vector<std::string> mainSectionLines(std::string_view manifest) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < manifest.size()) {
    size_t end = manifest.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = manifest.size();
    std::string_view line = manifest.substr(at, end - at);
    at = end + (manifest.substr(end, 2) == "\r\n" ? 2 : 1);
    if (line.empty()) break;
    if (line.front() == ' ' && !lines.empty()) {
      lines.back().append(line.substr(1));
    } else {
      lines.emplace_back(line);
    }
  }
  return lines;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> mainAttribute(std::string_view manifest, std::string_view name) {
  for (const std::string& line : mainSectionLines(manifest)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos || !sameIgnoringCase(std::string_view(line).substr(0, colon), name)) continue;
    size_t start = line.find_first_not_of(' ', colon + 1);
    size_t end = line.find_last_not_of(" \t");
    if (start == std::string::npos || end < start) return std::nullopt;
    return line.substr(start, end - start + 1);
  }
  return std::nullopt;
}

}  // namespace kvx::bundle
