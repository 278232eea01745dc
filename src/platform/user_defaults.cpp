#include "platform/user_defaults.h"

#include <algorithm>

#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx::platform {
namespace {

// The bundle's identifier, else the program's name, like the platform's
// application domain.
std::optional<std::string> ownApplicationDomain() {
  const MainBundle& main = mainBundle();
  if (main.infoDictionary) {
    const plist::Value* id = main.infoDictionary->get("CFBundleIdentifier");
    if (id && id->isString() && !id->str().empty()) return id->str();
  }
  const std::vector<std::string>& args = processArguments();
  if (args.empty() || args[0].empty()) return std::nullopt;
  return lastPathComponent(args[0]);
}

}  // namespace

std::string preferencesDirectory() {
  std::optional<std::string> config = getEnv("XDG_CONFIG_HOME");
  std::string base = config && !config->empty() ? *config : joinPath(homeDirectory(), ".config");
  return joinPath(base, "kestrovel/preferences");
}

std::optional<plist::Value> persistentDomain(const std::string& domain) {
  std::optional<std::string> bytes = readFile(joinPath(preferencesDirectory(), domain + ".plist"));
  if (!bytes) return std::nullopt;
  std::string error;
  std::optional<plist::Value> value = plist::parse(*bytes, &error);
  if (!value || !value->isDictionary()) return std::nullopt;
  return value;
}

UserDefaults& UserDefaults::standard() {
  static UserDefaults defaults(ownApplicationDomain());
  return defaults;
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
