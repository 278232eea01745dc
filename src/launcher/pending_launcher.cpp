// Temporary: launcher state, variables and messages are still being built.
#include <cstdio>

#include "launcher/launcher.h"
#include "platform/exception.h"

namespace kvx {
std::shared_ptr<Launcher> Launcher::launcher() { return std::make_shared<Launcher>(); }
Launcher::Launcher() {}
OptString Launcher::replaceVariables(const OptString& text) { return text; }
OptString Launcher::getMessage(const std::string& key, const OptString&, const OptString&) { return key; }
void Launcher::displayError(const std::string& key) { displayError(key, std::nullopt, std::nullopt); }
void Launcher::displayError(const std::string& key, const OptString& info) { displayError(key, info, std::nullopt); }
void Launcher::displayError(const std::string& key, const OptString& info1, const OptString&) {
  fprintf(stderr, "ERROR: %s %s\n", key.c_str(), info1 ? info1->c_str() : "");
}
bool getBooleanValue(const plist::Value*, std::string_view) { throw PlatformException("NotBuilt", "getBooleanValue"); }
}  // namespace kvx
