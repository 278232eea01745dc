#include "launcher/messages.h"

#include <cstdio>

#include "app_format/app_layout.h"
#include "launcher/builtin_messages.h"
#include "launcher/message_format.h"
#include "platform/localized_bundle.h"
#include "platform/notice.h"
#include "platform/paths.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

std::optional<platform::LocalizedBundle> openMessagesBundle(const RunState& run) {
  if (!run.appRootDir) return std::nullopt;
  return platform::LocalizedBundle::open(
      platform::joinPath(*run.appRootDir, app_layout::kMessagesBundle));
}

// The text of key in the application's own messages, or nullopt when it has
// none for it; *haveBundle says whether it has messages at all.
OptString applicationText(const RunState& run, const std::string& key, bool* haveBundle) {
  std::optional<platform::LocalizedBundle> bundle = openMessagesBundle(run);
  *haveBundle = bundle.has_value();
  if (!bundle) {
    KVX_TRACE("message %@: the application has no messages bundle", key.c_str());
    return std::nullopt;
  }
  OptString text = bundle->lookup(key);
  if (!text) KVX_TRACE("message %@: none of the application's languages has it", key.c_str());
  return text;
}

}  // namespace

OptString getMessage(const RunState& run, const std::string& key, const OptString& info1,
                     const OptString& info2) {
  bool haveBundle = false;
  OptString text = applicationText(run, key, &haveBundle);
  if (!text) {
    // The launcher's own words, so that no message is lost for want of a
    // messages bundle; a key it does not know is shown as itself.
    if (OptString builtIn = builtInMessage(key, info1, info2)) return builtIn;
    if (!haveBundle) {
      KVX_ALWAYS_LOG("message %s not found", key.c_str());
      return std::nullopt;
    }
    text = key;
  }
  if (info1 && info2) return formatMessage(*text, {*info1, *info2});
  if (info1) return formatMessage(*text, {*info1});
  return text;
}

void displayError(const RunState& run, const std::string& key, const OptString& info1,
                  const OptString& info2) {
  OptString text = getMessage(run, key, info1, info2);
  if (!text) return;
  if (run.commandLine) {
    (void)fprintf(stderr, "ERROR: %s\n", text->c_str());
    (void)fflush(stderr);
    return;
  }
  platform::displayNotice(run.applicationName(), *text);
}

}  // namespace kvx
