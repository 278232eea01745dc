// Version strings: the token comparison that orders runtime directory names,
// the range test for the configured limits, and pre-release detection.
#include "discovery/character_classes.h"
#include "discovery/version_tokens.h"
#include "launcher/launcher.h"

namespace kvx {

int64_t Launcher::typeOfCharacter(std::string_view text) {
  if (text == ".") return version::kClassSeparator;
  if (text.empty()) return version::kClassText;
  return version::classOfCharacter(version::decodeCharacter(text).codePoint);
}

StringList Launcher::splitVersionString(const OptString& versionString) {
  StringList tokens;
  if (!versionString) return tokens;
  for (const version::VersionToken& token : version::tokenize(*versionString))
    tokens.emplace_back(token.text);
  return tokens;
}

int64_t Launcher::compareVersion(const OptString& a, const OptString& b) {
  std::string_view textA = a ? std::string_view(*a) : std::string_view();
  std::string_view textB = b ? std::string_view(*b) : std::string_view();
  return version::compareTokens(version::tokenize(textA), version::tokenize(textB));
}

std::string Launcher::removeJrePrefix(const std::string& name) {
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

bool Launcher::compareVersion(const OptString& limit, const StringList& versionList, bool max) {
  if (!limit || limit->empty()) return true;
  StringList parts = version::splitComponents(*limit);
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

bool Launcher::isBetaVersion(const OptString& versionString) {
  if (!versionString) return false;
  for (const char* marker : {"beta", "ea", "rc"}) {
    if (versionString->find(marker) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kvx
