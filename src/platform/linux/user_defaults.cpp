#include "platform/user_defaults.h"

#include <algorithm>

#include "platform/bundle.h"
#include "platform/dictionary_file.h"
#include "platform/paths.h"

namespace kvx::platform {

std::string preferencesDirectory() {
  return joinPath(userConfigDirectory(), "kestrovel/preferences");
}

std::optional<plist::Value> persistentDomain(const std::string& domain) {
  return readDictionaryFile(joinPath(preferencesDirectory(), domain + ".plist")).dictionary;
}

std::optional<std::string> applicationDomain(const MainBundle& mainBundle,
                                             const std::string& programPath) {
  if (mainBundle.infoDictionary) {
    const plist::Value* id = mainBundle.infoDictionary->get("CFBundleIdentifier");
    if (id && id->isString() && !id->str().empty()) return id->str();
  }
  if (programPath.empty()) return std::nullopt;
  return lastPathComponent(programPath);
}

void UserDefaults::addSuiteNamed(const std::string& suiteName) {
  if (std::find(suites_.begin(), suites_.end(), suiteName) == suites_.end())
    suites_.push_back(suiteName);
}

std::vector<std::string> UserDefaults::searchList() const {
  std::vector<std::string> domains;
  if (applicationDomain_) domains.push_back(*applicationDomain_);
  domains.insert(domains.end(), suites_.begin(), suites_.end());
  domains.push_back(kGlobalDomain);
  return domains;
}

std::optional<plist::Value> UserDefaults::objectForKey(std::string_view key) const {
  for (const std::string& domain : searchList()) {
    std::optional<plist::Value> values = persistentDomain(domain);
    if (!values) continue;
    if (const plist::Value* value = values->get(key)) return *value;
  }
  return std::nullopt;
}

std::optional<plist::Value> UserDefaults::dictionaryForKey(std::string_view key) const {
  std::optional<plist::Value> value = objectForKey(key);
  if (value && value->isDictionary()) return value;
  return std::nullopt;
}

}  // namespace kvx::platform
