#include "launcher/builtin_messages.h"

#include <string_view>

#include "launcher/message_format.h"

namespace kvx {
namespace {

struct BuiltInText {
  std::string_view key;
  // With all its infos, and with the first one absent.
  std::string_view text;
  std::string_view withoutFirstInfo;
};

// The same words the sample messages bundle uses in English. Where the first
// info can be absent (no minimum version is configured), a text that does
// not need it says what is still true.
constexpr BuiltInText kTexts[] = {
    {"AppleJavaMinVersionError",
     "Java %@ or later is needed to run %@. Please install it and start the application again.",
     "Java is needed to run %2$@, but no Java runtime was found. Please install it and start the "
     "application again."},
    {"torqa.InternalError", "The application could not be started because of an internal error: %@",
     "The application could not be started because of an internal error."},
    {"NonWritablePackDir",
     "The Java runtime that comes with this application must be unpacked before its first start, but "
     "its folder cannot be written. Please start the application once as a user who may change it.",
     ""},
    {kRuntimeFailedKey, "The application ended with an error (status %@):\n\n%@", ""},
    {kRuntimeCrashedKey, "The application's Java runtime crashed. Its report is in %@.\n\n%@", ""},
    {kConfigurationErrorKey, "The application could not be started because its configuration cannot be used: %@",
     "The application could not be started because it has no configuration."},
    {kLauncherLocationErrorKey,
     "The application could not be started because the launcher cannot tell where it is installed: %@",
     "The application could not be started because the launcher cannot tell where it is installed."},
};

}  // namespace

OptString builtInMessage(const std::string& key, const OptString& info1, const OptString& info2) {
  for (const BuiltInText& entry : kTexts) {
    if (entry.key != key) continue;
    if (!info1 && !entry.withoutFirstInfo.empty()) {
      return formatMessage(entry.withoutFirstInfo, {std::string(), info2.value_or(std::string())});
    }
    return formatMessage(entry.text, {info1.value_or(std::string()), info2.value_or(std::string())});
  }
  return std::nullopt;
}

}  // namespace kvx
