// Variables written between "${" and "}" in configuration values and options
// files: the launcher's own first, then the environment's.
#include <set>

#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx {
namespace {

// Every occurrence, left to right, without overlap; the replacement is not
// searched again.
void replaceAll(std::string& text, std::string_view pattern, std::string_view replacement) {
  size_t pos = text.find(pattern);
  if (pos == std::string::npos) return;
  std::string result;
  size_t start = 0;
  for (; pos != std::string::npos; pos = text.find(pattern, start)) {
    result.append(text, start, pos - start);
    result.append(replacement);
    start = pos + pattern.size();
  }
  result.append(text, start, std::string::npos);
  text = std::move(result);
}

// A runtime bundle keeps its home in Contents/Home; a plain home (no
// Contents/, such as a Linux JDK or .kestrovel/jre) is its own home.
std::string runtimeHome(const std::string& javaBundlePath) {
  std::string contents = platform::joinPath(javaBundlePath, "Contents");
  std::string home =
      platform::isDirectory(contents) ? platform::joinPath(contents, "Home") : javaBundlePath;
  std::string jre = platform::joinPath(home, "jre");
  return platform::fileExists(jre) ? jre : home;
}

void replaceEnvironmentVariables(std::string& text) {
  // Nothing can match without "${"; the environment need not be copied.
  if (text.find("${") == std::string::npos) return;
  std::set<std::string, std::less<>> seen;
  for (const auto& [name, value] : platform::environment()) {
    // A name listed twice has the value the system's lookup gives: the first.
    if (!seen.insert(name).second) continue;
    replaceAll(text, "${" + name + "}", value);
  }
}

}  // namespace

OptString Launcher::replaceVariables(const OptString& input) {
  if (!input) return std::nullopt;
  KVX_TRACE("replacing %@", input->c_str());
  std::string text = *input;
  // The two directories are only absent before a Launcher has been created;
  // their variables then stay as written.
  if (s_appRootDir) replaceAll(text, "${launcher:sys.appRootDir}", *s_appRootDir);
  replaceAll(text, "${launcher:sys.mainBundle}", s_mainBundlePath.value_or(""));
  if (s_launcherDirInApp) replaceAll(text, "${launcher:sys.launcherDirectory}", *s_launcherDirInApp);
  replaceAll(text, "${launcher:sys.pathlistSeparator}", ":");
  if (OptString tempDir = platform::temporaryDirectory()) {
    replaceAll(text, "${launcher:sys.tempDir}", *tempDir);
  }
  if (javaBundlePath) {
    replaceAll(text, "${launcher:sys.jvmHome}", runtimeHome(*javaBundlePath));
  }
  replaceEnvironmentVariables(text);
  KVX_TRACE("returning %@", text.c_str());
  return text;
}

}  // namespace kvx
