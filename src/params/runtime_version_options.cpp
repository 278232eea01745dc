#include "params/runtime_version_options.h"

#include "app_format/config_keys.h"
#include "base/exception.h"
#include "base/text.h"
#include "base/utf.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

constexpr std::string_view kKey = config::kVersionSpecificVMOptions.name;

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
  std::vector<std::string_view> bounds = splitAt(key, '-');
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
