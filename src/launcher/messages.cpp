#include "launcher/messages.h"

#include <cstdio>

#include "base/exception.h"
#include "launcher/message_format.h"
#include "platform/localized_bundle.h"
#include "platform/notice.h"
#include "platform/paths.h"
#include "run/diagnostic_log.h"
#include "run/globals.h"

namespace kvx {
namespace {

std::optional<platform::LocalizedBundle> openMessagesBundle(const RunState& run) {
  if (!run.appRootDir) return std::nullopt;
  return platform::LocalizedBundle::open(
      platform::joinPath(*run.appRootDir, ".kestrovel/Messages.bundle"));
}

// The notice's header. The error being shown may itself be about a damaged
// configuration; a bundle name that is not text must not hide it.
OptString noticeHeader(const RunState& run) {
  try {
    return plist::stringValue(run.configValue("CFBundleName"), "CFBundleName");
  } catch (const PlatformException& e) {
    KVX_TRACE("CFBundleName %@", e.reason().c_str());
    return std::nullopt;
  }
}

}  // namespace

OptString getMessage(const RunState& run, const std::string& key, const OptString& info1,
                     const OptString& info2) {
  std::optional<platform::LocalizedBundle> bundle = openMessagesBundle(run);
  if (!bundle) {
    KVX_ALWAYS_LOG("message %s not found", key.c_str());
    return std::nullopt;
  }
  std::string text = bundle->localizedString(key);
  if (info1 && info2) return formatMessage(text, {*info1, *info2});
  if (info1) return formatMessage(text, {*info1});
  return text;
}

void displayError(const RunState& run, const std::string& key, const OptString& info1,
                  const OptString& info2) {
  OptString text = getMessage(run, key, info1, info2);
  if (!text) return;
  if (g_cli) {
    (void)fprintf(stderr, "ERROR: %s\n", text->c_str());
    (void)fflush(stderr);
    return;
  }
  platform::displayNotice(noticeHeader(run), *text);
}

}  // namespace kvx
