#include "discovery/version_strings.h"

#include "base/utf.h"
#include "discovery/character_classes.h"
#include "discovery/version_tokens.h"

namespace kvx::version {

int64_t typeOfCharacter(std::string_view text) {
  if (text == ".") return kClassSeparator;
  if (text.empty()) return kClassText;
  return classOfCharacter(decodeUtf8(text).codePoint);
}

StringList splitVersionString(const OptString& versionString) {
  StringList tokens;
  if (!versionString) return tokens;
  for (const VersionToken& token : tokenize(*versionString))
    tokens.emplace_back(token.text);
  return tokens;
}

int64_t compareVersion(const OptString& a, const OptString& b) {
  std::string_view textA = a ? std::string_view(*a) : std::string_view();
  std::string_view textB = b ? std::string_view(*b) : std::string_view();
  return compareTokens(tokenize(textA), tokenize(textB));
}

std::string removeJrePrefix(const std::string& name) {
  std::string_view rest = name;
  auto drop = [&rest](std::initializer_list<std::string_view> prefixes) {
    for (std::string_view prefix : prefixes) {
      if (rest.starts_with(prefix)) {
        rest.remove_prefix(prefix.size());
        return;
      }
    }
  };
  drop({"openjdk-"});
  drop({"openjdk"});
  drop({"jdk-", "jre-"});
  drop({"jdk", "jre"});
  return std::string(rest);
}

bool compareVersion(const OptString& limit, const StringList& versionList, bool max) {
  if (!limit || limit->empty()) return true;
  StringList parts = splitComponents(*limit);
  for (size_t i = 0; i < parts.size(); ++i) {
    int64_t lv = plist::integerValue(parts[i]);
    int64_t rv = i < versionList.size() ? plist::integerValue(versionList[i]) : 0;
    if (rv == lv) continue;
    // The first unequal component decides: below a maximum or above a
    // minimum passes, the other way fails.
    return max ? rv < lv : rv > lv;
  }
  return true;
}

bool isBetaVersion(const OptString& versionString) {
  if (!versionString) return false;
  for (const char* marker : {"beta", "ea", "rc"}) {
    if (versionString->find(marker) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kvx::version
