#include "launcher/builtin_messages.h"

#include "app_format/english_messages.h"
#include "launcher/message_format.h"

namespace kvx {

OptString builtInMessage(const std::string& key, const OptString& info1, const OptString& info2) {
  const EnglishMessage* message = englishMessage(key);
  if (!message) return std::nullopt;
  if (!info1 && !message->withoutFirstInfo.empty()) {
    return formatMessage(message->withoutFirstInfo, {std::string(), info2.value_or(std::string())});
  }
  return formatMessage(message->text, {info1.value_or(std::string()), info2.value_or(std::string())});
}

}  // namespace kvx
