// Turns a configured class path or module path into the list the virtual
// machine receives: environment references and directories of archives
// are expanded, every other entry is passed on as written.
#include <string>
#include <string_view>

#include "base/text.h"
#include "run/diagnostic_log.h"
#include "params/java_parameters.h"
#include "platform/files.h"
#include "platform/process.h"

namespace kvx {

namespace {

// Absent until the first item, so that an empty first item still counts.
void addItem(OptString& result, std::string_view item) {
  if (!result) {
    result.emplace(item);
    return;
  }
  result->push_back(':');
  result->append(item);
}

bool isArchiveName(std::string_view name) {
  return name.ends_with(".jar") || name.ends_with(".zip");
}

void addEnvironmentReference(OptString& result, std::string_view entry) {
  const std::string name(entry.substr(1));
  if (std::optional<std::string> value = platform::getEnv(name.c_str())) addItem(result, *value);
}

// dir keeps the "/" of its entry, so each archive is dir and name with
// exactly the separator the entry was written with.
void addArchivesOf(OptString& result, std::string_view entry) {
  const std::string dir(entry.substr(0, entry.size() - 1));
  KVX_TRACE("scanning directory %@", dir.c_str());
  std::optional<std::vector<std::string>> names = platform::listDirectory(dir);
  if (!names) {
    KVX_TRACE("class path directory %@ cannot be listed", dir.c_str());
    return;
  }
  bool found = false;
  for (const std::string& name : *names) {
    if (!isArchiveName(name)) continue;
    addItem(result, dir + name);
    found = true;
  }
  if (!found) KVX_TRACE("no archives in %@", dir.c_str());
}

}  // namespace

OptString JavaParameters::resolveArtifactPath(const OptString& path) {
  if (!path) return std::nullopt;
  OptString result;
  for (std::string_view entry : splitAt(*path, ':')) {
    if (entry.starts_with('$')) {
      addEnvironmentReference(result, entry);
    } else if (entry.ends_with("/*")) {
      addArchivesOf(result, entry);
    } else {
      // A typo in a class path is easy to make and hard to see: say so.
      if (traceEnabled() && !entry.empty() && !platform::fileExists(std::string(entry))) {
        KVX_TRACE("class path entry %@ does not exist", std::string(entry).c_str());
      }
      addItem(result, entry);
    }
  }
  return result;
}

}  // namespace kvx
