#include "configuration_entry.h"

#include <algorithm>
#include <cassert>

namespace kvx::bundle {
namespace {

// Used by the assertions only, which a release build leaves out.
[[maybe_unused]] bool hasKeyType(const config::Key& key, const plist::Value& value) {
  switch (key.type) {
    case config::String: return value.isString();
    case config::Boolean: return value.type() == plist::Type::Boolean;
    case config::StringArray:
      return value.isArray() && std::ranges::all_of(value.items(), [](const plist::Value& v) { return v.isString(); });
    case config::Array: return value.isArray();
    case config::Dictionary: return value.isDictionary();
  }
  return false;
}

}  // namespace

void addEntry(plist::Dictionary& dict, const config::Key& key, plist::Value value) {
  // A value of the wrong type would end the application's every start.
  assert(hasKeyType(key, value));
  dict.emplace_back(std::string(key.name), std::move(value));
}

plist::Value stringArray(const std::vector<std::string>& values) {
  plist::Array items;
  items.reserve(values.size());
  for (const std::string& value : values) items.push_back(plist::Value::string(value));
  return plist::Value::array(std::move(items));
}

std::string pathList(const std::string& base, const std::vector<std::string>& entries) {
  std::string path;
  for (const std::string& entry : entries) {
    if (!path.empty()) path += ':';
    path.append(base).append("/").append(entry);
  }
  return path;
}

void replaceEntry(plist::Dictionary& dict, const config::Key& key, plist::Value value) {
  assert(hasKeyType(key, value));
  auto entry = std::ranges::find_if(dict, [&](const auto& item) { return item.first == key.name; });
  if (entry != dict.end()) entry->second = std::move(value);
}

}  // namespace kvx::bundle
