// The launcher's own English texts for every message key, used when the
// application ships no messages bundle or none of its languages has the key:
// a message is never lost for want of a translation. kvx-bundle ships no
// texts of its own, so these are the only English ones.
#pragma once

#include <string_view>

namespace kvx {

struct EnglishMessage {
  std::string_view key;
  // With all its infos, and with the first one absent; an empty second text
  // means the first serves for both.
  std::string_view text;
  std::string_view withoutFirstInfo;
};

// The English texts of key, or null for a key the launcher does not know.
const EnglishMessage* englishMessage(std::string_view key);

}  // namespace kvx
