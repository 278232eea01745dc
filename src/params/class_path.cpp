// Turns a configured class path or module path into the list the virtual
// machine receives: environment references and directories of archives
// are expanded, every other entry is passed on as written.
#include <string>
#include <string_view>

#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
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
  if (!names) return;
  for (const std::string& name : *names) {
    if (isArchiveName(name)) addItem(result, dir + name);
  }
}

}  // namespace

OptString Launcher::resolveArtifactPath(const OptString& path) {
  if (!path) return std::nullopt;
  OptString result;
  std::string_view rest = *path;
  for (;;) {
    size_t end = rest.find(':');
    std::string_view entry = rest.substr(0, end);
    if (entry.starts_with('$')) {
      addEnvironmentReference(result, entry);
    } else if (entry.ends_with("/*")) {
      addArchivesOf(result, entry);
    } else {
      addItem(result, entry);
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return result;
}

}  // namespace kvx
