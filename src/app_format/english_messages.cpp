#include "app_format/english_messages.h"

#include "app_format/message_keys.h"

namespace kvx {
namespace {

// Where the first info can be absent (no minimum version is configured), a
// text that does not need it says what is still true.
constexpr EnglishMessage kMessages[] = {
    {kMinVersionErrorKey,
     "Java %@ or later is needed to run %@. Please install it and start the application again.",
     "Java is needed to run %2$@, but no Java runtime was found. Please install it and start the "
     "application again."},
    {kInternalErrorKey, "The application could not be started because of an internal error: %@",
     "The application could not be started because of an internal error."},
    {kNonWritablePackDirKey,
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

const EnglishMessage* englishMessage(std::string_view key) {
  for (const EnglishMessage& message : kMessages) {
    if (message.key == key) return &message;
  }
  return nullptr;
}

}  // namespace kvx
