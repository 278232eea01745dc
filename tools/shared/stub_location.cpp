#include "stub_location.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/executable_path.h"
#include "platform/process.h"

namespace kvx::tools {
namespace {

constexpr const char* kStubName = "kvx-launcher";
constexpr const char* kInstalledBesideTool = KVX_STUB_DIR_FROM_TOOLS;

// The directory of this tool with every link resolved, so that a link to
// the tool on PATH still leads to the installation it belongs to.
std::optional<std::string> toolDirectory() {
  std::optional<std::string> path = platform::executablePath();
  if (!path) return std::nullopt;
  std::optional<std::string> resolved = platform::resolveSymlinks(*path);
  return platform::deletingLastPathComponent(resolved.value_or(*path));
}

}  // namespace

std::optional<std::string> findStub(const std::optional<std::string>& named, std::string* error) {
  if (named) return named;
  std::optional<std::string> directory = toolDirectory();
  if (!directory) {
    *error = "cannot tell where this tool is, to find the launcher stub beside it; name it with --stub";
    return std::nullopt;
  }
  std::string installed = platform::standardizePath(
      platform::joinPath(platform::joinPath(*directory, kInstalledBesideTool), kStubName));
  std::string built = platform::joinPath(*directory, kStubName);
  for (const std::string& candidate : {installed, built}) {
    if (platform::isExecutableFile(candidate)) return candidate;
  }
  *error = "no launcher stub at " + installed + " nor at " + built + "; name it with --stub";
  return std::nullopt;
}

}  // namespace kvx::tools
