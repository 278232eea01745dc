#include "startup_cache/runtime_identity.h"

#include <cctype>

#include "platform/bundle.h"

namespace kvx {
namespace {

// The leading number of text, or -1 when it does not begin with a digit.
// Six digits are more than any version needs, and never overflow.
int leadingNumber(std::string_view text) {
  int value = 0;
  size_t i = 0;
  for (; i < text.size() && i < 6 && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return i == 0 ? -1 : value;
}

std::optional<std::string> bundleVersion(const RuntimeChoice& runtime) {
  if (!runtime.javaBundle) return runtime.javaVersion;
  const plist::Value* javaVM = runtime.javaBundle->infoValue("JavaVM");
  const plist::Value* version = javaVM && javaVM->isDictionary() ? javaVM->get("JVMVersion") : nullptr;
  if (version && version->isString()) return version->str();
  return runtime.javaVersion;
}

}  // namespace

int majorVersionOf(std::string_view version) {
  int first = leadingNumber(version);
  // Before 9 the major version was the second part: 1.8.0_392.
  if (first == 1 && version.size() > 2 && version[1] == '.') return leadingNumber(version.substr(2));
  return first;
}

std::optional<RuntimeIdentity> identifyRuntime(const RuntimeChoice& runtime, std::string* why) {
  if (!runtime.javaBundlePath) {
    *why = "no runtime was chosen";
    return std::nullopt;
  }
  RuntimeIdentity identity;
  identity.path = *runtime.javaBundlePath;
  identity.home = platform::runtimeHome(identity.path);
  std::optional<std::string> version = platform::releaseJavaVersion(identity.home);
  if (!version) version = bundleVersion(runtime);
  if (!version) {
    *why = "the runtime at " + identity.path + " names no version";
    return std::nullopt;
  }
  identity.version = *version;
  identity.majorVersion = majorVersionOf(*version);
  return identity;
}

}  // namespace kvx
