#include "params/runtime_version_options.h"

#include "launcher/diagnostic_log.h"
#include "base/exception.h"

namespace kvx {
namespace {

constexpr std::string_view kKey = "VersionSpecificVMOptions";

// Code points, so that "?" stands for one character, not one byte.
std::vector<char32_t> codePoints(std::string_view text) {
  std::vector<char32_t> points;
  for (size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t point = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t k = 1; k < length && i + k < text.size(); ++k) {
      point = point << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    points.push_back(point);
    i += length;
  }
  return points;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::vector<std::string> optionsOf(const plist::Value& list) {
  std::optional<std::vector<std::string>> options = plist::stringArrayValue(&list, kKey);
  return options ? *options : std::vector<std::string>();
}

bool patternKeyMatches(const std::string& key, const plist::Value& list,
                       const std::optional<std::string>& javaVersion) {
  if (!javaVersion || !matchesVersionPattern(std::string_view(key).substr(1), *javaVersion)) {
    return false;
  }
  KVX_TRACE("using version specific options %@ %@ %@", javaVersion->c_str(), key.c_str(),
            plist::describe(list).c_str());
  return true;
}

// Malformed keys are only traced: the configuration is the developer's, and
// one bad entry should not keep the application from starting.
bool rangeKeyMatches(const std::string& key, const plist::Value& list,
                     const std::optional<std::string>& javaVersion, int32_t major) {
  std::vector<std::string> bounds = split(key, '-');
  if (bounds.size() != 2) {
    KVX_TRACE("ERROR in version specific options %@", key.c_str());
    return false;
  }
  int32_t low = plist::intValue(bounds[0]);
  int32_t high = plist::intValue(bounds[1]);
  if (major < low || major > high) return false;
  KVX_TRACE("using version specific options %@ %@ %@ %d %d %d", plist::describe(javaVersion).c_str(),
            key.c_str(), plist::describe(list).c_str(), major, low, high);
  return true;
}

}  // namespace

bool matchesVersionPattern(std::string_view pattern, std::string_view text) {
  std::vector<char32_t> p = codePoints(pattern);
  std::vector<char32_t> t = codePoints(text);
  size_t pi = 0, ti = 0;
  // The last "*" seen and the text position it was tried at, to backtrack to.
  size_t starAt = std::string_view::npos, starText = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == U'?' || (p[pi] != U'*' && p[pi] == t[ti]))) {
      ++pi;
      ++ti;
    } else if (pi < p.size() && p[pi] == U'*') {
      starAt = pi++;
      starText = ti;
    } else if (starAt != std::string_view::npos) {
      pi = starAt + 1;
      ti = ++starText;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

std::optional<std::vector<std::string>> versionSpecificOptions(
    const plist::Value* entries, const std::optional<std::string>& javaVersion,
    int32_t javaMajorVersion) {
  if (entries == nullptr) return std::nullopt;
  if (!entries->isArray()) {
    throw PlatformException("NSInvalidArgumentException",
                            "The configuration value \"VersionSpecificVMOptions\" is not an array.");
  }
  const plist::Array& items = entries->items();
  for (size_t pair = 0; pair < items.size() / 2; ++pair) {
    // A key that is not a string raises; a present value is never absent.
    std::optional<std::string> key = plist::stringValue(&items[2 * pair], kKey);
    if (!key) continue;
    const plist::Value& list = items[2 * pair + 1];
    bool matches = key->starts_with('*') ? patternKeyMatches(*key, list, javaVersion)
                                         : rangeKeyMatches(*key, list, javaVersion, javaMajorVersion);
    if (matches) return optionsOf(list);
  }
  return std::nullopt;
}

}  // namespace kvx
