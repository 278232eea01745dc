// A bundle of localized texts: one strings table per language, in
// Contents/Resources/<lang>.lproj/Localizable.strings (or <lang>.lproj/ at the
// bundle's top).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvx::platform {

// The user's languages, most preferred first: the entries of LANGUAGE, then
// the first of LC_ALL, LC_MESSAGES and LANG that is set. A locale such as
// "de_CH.UTF-8" gives "de_CH" and then "de"; "C" and "POSIX" name none.
std::vector<std::string> preferredLanguages();

class LocalizedBundle {
 public:
  // nullopt when there is no directory at path.
  static std::optional<LocalizedBundle> open(const std::string& path);

  // The languages whose tables are searched, in order: the user's, then the
  // bundle's development region, then "en".
  const std::vector<std::string>& searchOrder() const { return searchOrder_; }

  // The text for key from the first table in the search order that holds it;
  // the key itself when none does.
  std::string localizedString(const std::string& key) const;
  // The same, but nullopt when no table holds the key.
  std::optional<std::string> lookup(const std::string& key) const;

 private:
  LocalizedBundle(std::string path, std::vector<std::string> searchOrder)
      : path_(std::move(path)), searchOrder_(std::move(searchOrder)) {}

  std::string path_;
  std::vector<std::string> searchOrder_;
};

}  // namespace kvx::platform
