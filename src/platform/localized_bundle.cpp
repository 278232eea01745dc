#include "platform/localized_bundle.h"

#include <algorithm>

#include "base/text.h"
#include "platform/dictionary_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "plist/plist.h"
#include "platform/process.h"
#include "plist/strings_file.h"
#include "platform/read_limits.h"

namespace kvx::platform {
namespace {

void addLanguage(std::vector<std::string>& list, const std::string& language) {
  if (!language.empty() && std::find(list.begin(), list.end(), language) == list.end()) {
    list.push_back(language);
  }
}

// "de_CH.UTF-8@euro" gives de_CH, then de.
void addLocale(std::vector<std::string>& list, std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return;
  addLanguage(list, std::string(locale));
  addLanguage(list, std::string(locale.substr(0, locale.find_first_of("_-"))));
}

std::optional<std::string> firstSet(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    std::optional<std::string> value = getEnv(name);
    if (value && !value->empty()) return value;
  }
  return std::nullopt;
}

std::optional<std::string> developmentRegion(const std::string& bundlePath) {
  for (const char* infoPath : {"Contents/Info.plist", "Info.plist"}) {
    DictionaryFile info = readDictionaryFile(joinPath(bundlePath, infoPath));
    if (info.status == DictionaryFile::Status::Missing) continue;
    const plist::Value* region = info.read() ? info.dictionary->get("CFBundleDevelopmentRegion") : nullptr;
    if (region && region->isString()) return region->str();
  }
  return std::nullopt;
}

std::optional<plist::StringsTable> readTable(const std::string& bundlePath, const std::string& language) {
  std::string lproj = language + ".lproj/Localizable.strings";
  for (const std::string& path :
       {joinPath(bundlePath, "Contents/Resources/" + lproj), joinPath(bundlePath, lproj)}) {
    std::optional<std::string> bytes = readFile(path, read_limit::kPropertyList);
    if (!bytes) continue;
    std::string error;
    // A table that cannot be read holds nothing; the next language may.
    return plist::parseStringsFile(*bytes, &error);
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> preferredLanguages() {
  std::vector<std::string> list;
  if (std::optional<std::string> languages = getEnv("LANGUAGE")) {
    for (std::string_view language : splitAt(*languages, ':')) addLocale(list, language);
  }
  if (std::optional<std::string> locale = firstSet({"LC_ALL", "LC_MESSAGES", "LANG"})) {
    addLocale(list, *locale);
  }
  return list;
}

std::optional<LocalizedBundle> LocalizedBundle::open(const std::string& path) {
  if (!isDirectory(path)) return std::nullopt;
  std::vector<std::string> order = preferredLanguages();
  if (std::optional<std::string> region = developmentRegion(path)) addLanguage(order, *region);
  addLanguage(order, "en");
  return LocalizedBundle(path, std::move(order));
}

std::optional<std::string> LocalizedBundle::lookup(const std::string& key) const {
  for (const std::string& language : searchOrder_) {
    std::optional<plist::StringsTable> table = readTable(path_, language);
    if (!table) continue;
    auto entry = table->find(key);
    if (entry != table->end()) return entry->second;
  }
  return std::nullopt;
}

std::string LocalizedBundle::localizedString(const std::string& key) const {
  return lookup(key).value_or(key);
}

}  // namespace kvx::platform
