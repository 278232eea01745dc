#include "run/variables.h"

#include <set>

#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "run/diagnostic_log.h"

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

// The home the runtime's own tools see: a nested jre when there is one.
std::string javaHome(const std::string& javaBundlePath) {
  std::string home = platform::runtimeHome(javaBundlePath);
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

OptString replaceVariables(const RunState& run, const OptString& javaBundlePath, const OptString& input) {
  if (!input) return std::nullopt;
  KVX_TRACE("replacing %@", input->c_str());
  std::string text = *input;
  // The two directories are only absent before the launcher paths are fixed;
  // their variables then stay as written.
  if (run.appRootDir) replaceAll(text, "${launcher:sys.appRootDir}", *run.appRootDir);
  replaceAll(text, "${launcher:sys.mainBundle}", run.mainBundlePath.value_or(""));
  if (run.launcherDirInApp) replaceAll(text, "${launcher:sys.launcherDirectory}", *run.launcherDirInApp);
  replaceAll(text, "${launcher:sys.pathlistSeparator}", ":");
  if (OptString tempDir = platform::temporaryDirectory()) {
    replaceAll(text, "${launcher:sys.tempDir}", *tempDir);
  }
  if (javaBundlePath) {
    replaceAll(text, "${launcher:sys.jvmHome}", javaHome(*javaBundlePath));
  }
  replaceEnvironmentVariables(text);
  KVX_TRACE("returning %@", text.c_str());
  return text;
}

}  // namespace kvx
