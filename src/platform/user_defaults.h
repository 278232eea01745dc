// User defaults, read only: one property-list file per domain under
// ${XDG_CONFIG_HOME:-$HOME/.config}/kestrovel/preferences/, named
// <domain>.plist; the global domain is .GlobalPreferences.plist.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bundle.h"
#include "plist/plist.h"

namespace kvx::platform {

inline constexpr const char* kGlobalDomain = ".GlobalPreferences";

// The directory that holds the domains' files, as the environment names it now.
std::string preferencesDirectory();

// One domain's dictionary; nullopt when its file is missing, unreadable or
// not a dictionary.
std::optional<plist::Value> persistentDomain(const std::string& domain);

// The process's own domain, as the platform names it: the bundle's
// identifier, else the name the program was started by.
std::optional<std::string> applicationDomain(const MainBundle& mainBundle,
                                             const std::string& programPath);

// The defaults of a process: its application domain, then the suites added
// to it, then the global domain.
class UserDefaults {
 public:
  explicit UserDefaults(std::optional<std::string> applicationDomain)
      : applicationDomain_(std::move(applicationDomain)) {}

  // Adds a domain to the search list, after the application domain and the
  // suites added before; adding one twice changes nothing.
  void addSuiteNamed(const std::string& suiteName);

  // The first value under key along the search list. The files are read at
  // each lookup, so the answer is what they hold at the time of the call.
  std::optional<plist::Value> objectForKey(std::string_view key) const;
  // Like objectForKey, but only a dictionary counts.
  std::optional<plist::Value> dictionaryForKey(std::string_view key) const;

  std::vector<std::string> searchList() const;

 private:
  std::optional<std::string> applicationDomain_;
  std::vector<std::string> suites_;
};

}  // namespace kvx::platform
