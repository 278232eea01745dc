#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app_format/config_keys.h"
#include "app_format/english_messages.h"
#include "app_format/message_keys.h"

namespace kvx {
namespace {

struct DocumentedKey {
  std::string place;
  std::string type;
};

// The rows of the key table in the guide: `KEY` | place | type | …
std::map<std::string, DocumentedKey> documentedKeys() {
  std::ifstream file(std::string(KVX_SOURCE_DIR) + "/docs/gui-launcher.md");
  std::map<std::string, DocumentedKey> keys;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.starts_with("| `")) continue;
    std::vector<std::string> cells;
    std::stringstream row(line.substr(1));
    for (std::string cell; std::getline(row, cell, '|');) {
      size_t first = cell.find_first_not_of(' ');
      cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
    }
    if (cells.size() < 3) continue;
    std::string name = cells[0].substr(1, cells[0].size() - 2);
    keys[name] = {cells[1], cells[2]};
  }
  return keys;
}

std::string placeWord(config::Place place) { return place == config::TopLevel ? "top" : "`JavaVM`"; }

// The guide's words for a type start with these.
std::string typeWords(config::Type type) {
  switch (type) {
    case config::String: return "string";
    case config::Boolean: return "boolean";
    case config::StringArray: return "array of strings";
    case config::Array: return "array";
    case config::Dictionary: return "dictionary";
  }
  return "";
}

TEST(ConfigKeys, TheGuideDocumentsEveryKeyTheLauncherReadsWithItsPlaceAndType) {
  std::map<std::string, DocumentedKey> documented = documentedKeys();
  ASSERT_FALSE(documented.empty());
  for (const config::Key& key : config::kAllKeys) {
    std::string name(key.name);
    auto row = documented.find(name);
    if (key.reader == config::Desktop) {
      EXPECT_EQ(row, documented.end()) << name << " is documented as a launcher key";
      continue;
    }
    ASSERT_NE(row, documented.end()) << name << " is missing from the guide's key table";
    EXPECT_EQ(row->second.place, placeWord(key.place)) << name;
    EXPECT_TRUE(row->second.type.starts_with(typeWords(key.type))) << name << ": " << row->second.type;
    documented.erase(row);
  }
  for (const auto& [name, row] : documented) ADD_FAILURE() << name << " is in the guide but not in the key table";
}

TEST(ConfigKeys, NoKeyIsDefinedTwice) {
  std::map<std::string_view, int> seen;
  for (const config::Key& key : config::kAllKeys) EXPECT_EQ(++seen[key.name], 1) << key.name;
}

TEST(EnglishMessages, EveryMessageKeyHasItsEnglishText) {
  for (const char* key : {kMinVersionErrorKey, kInternalErrorKey, kNonWritablePackDirKey, kConfigurationErrorKey,
                          kLauncherLocationErrorKey, kRuntimeFailedKey, kRuntimeCrashedKey}) {
    const EnglishMessage* message = englishMessage(key);
    ASSERT_NE(message, nullptr) << key;
    EXPECT_FALSE(message->text.empty()) << key;
  }
  EXPECT_EQ(englishMessage("NoSuchKey"), nullptr);
}

}  // namespace
}  // namespace kvx
