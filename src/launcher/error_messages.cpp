// The errors a user must see, named by message keys whose texts live in the
// application's messages bundle.
#include <cstdio>

#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
#include "launcher/message_format.h"
#include "base/exception.h"
#include "platform/localized_bundle.h"
#include "platform/notice.h"
#include "platform/paths.h"

namespace kvx {
namespace {

std::optional<platform::LocalizedBundle> openMessagesBundle() {
  if (!s_appRootDir) return std::nullopt;
  return platform::LocalizedBundle::open(
      platform::joinPath(*s_appRootDir, ".kestrovel/Messages.bundle"));
}

// The notice's header. The error being shown may itself be about a damaged
// configuration; a bundle name that is not text must not hide it.
OptString noticeHeader() {
  try {
    return plist::stringValue(configValue("CFBundleName"), "CFBundleName");
  } catch (const PlatformException& e) {
    KVX_TRACE("CFBundleName %@", e.reason().c_str());
    return std::nullopt;
  }
}

}  // namespace

OptString Launcher::getMessage(const std::string& key, const OptString& info1,
                               const OptString& info2) {
  std::optional<platform::LocalizedBundle> bundle = openMessagesBundle();
  if (!bundle) {
    KVX_ALWAYS_LOG("message %s not found", key.c_str());
    return std::nullopt;
  }
  std::string text = bundle->localizedString(key);
  if (info1 && info2) return formatMessage(text, {*info1, *info2});
  if (info1) return formatMessage(text, {*info1});
  return text;
}

void Launcher::displayError(const std::string& key, const OptString& info1, const OptString& info2) {
  OptString text = getMessage(key, info1, info2);
  if (!text) return;
  if (g_cli) {
    (void)fprintf(stderr, "ERROR: %s\n", text->c_str());
    (void)fflush(stderr);
    return;
  }
  platform::displayNotice(noticeHeader(), *text);
}

void Launcher::displayError(const std::string& key, const OptString& info) {
  displayError(key, info, std::nullopt);
}

void Launcher::displayError(const std::string& key) {
  displayError(key, std::nullopt, std::nullopt);
}

}  // namespace kvx
