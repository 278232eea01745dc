#include "resource_overrides.h"

#include "platform/files.h"
#include "platform/paths.h"

namespace kvx::bundle {

std::optional<std::string> overridingFile(const BundleOptions& options, const std::string& fileName,
                                          const StepLog& log) {
  if (!options.resourceDir) return std::nullopt;
  std::string path = platform::joinPath(*options.resourceDir, fileName);
  if (!platform::entryExists(path)) return std::nullopt;
  log.note("using " + path + " in place of the generated " + fileName);
  return path;
}

std::optional<std::string> textOrOverride(const BundleOptions& options, const std::string& fileName,
                                          const std::string& generated, const StepLog& log, std::string* error) {
  std::optional<std::string> path = overridingFile(options, fileName, log);
  if (!path) return generated;
  std::string reason;
  std::optional<std::string> text = platform::readFile(*path, 1 << 20, &reason);
  if (!text) *error = "--resource-dir: " + *path + ": " + reason;
  return text;
}

void takeIconFromResources(BundleOptions& options, const StepLog& log) {
  if (options.icon || (options.type == BundleType::Cli && !options.package.shortcut)) return;
  options.icon = overridingFile(options, options.name + ".png", log);
}

}  // namespace kvx::bundle
