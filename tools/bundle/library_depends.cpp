#include "library_depends.h"

#include "base/text.h"
#include "jdk_tool_run.h"
#include "package_programs.h"
#include "platform/file_creation.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace kvx::bundle {

std::vector<std::string> elfFilesIn(const std::string& root, const std::vector<std::string>& files) {
  std::vector<std::string> elf;
  for (const std::string& file : files) {
    std::optional<std::string> head = platform::readFileHead(platform::joinPath(root, file), 4);
    if (head && *head == "\x7f" "ELF") elf.push_back(file);
  }
  return elf;
}

std::vector<std::string> dependsClauses(const std::string& value) {
  std::vector<std::string> clauses;
  for (std::string_view clause : splitAt(value, ',')) {
    clause = trimmed(clause);
    if (!clause.empty()) clauses.emplace_back(clause);
  }
  return clauses;
}

std::optional<std::vector<std::string>> debLibraryDepends(const std::string& root,
                                                          const std::vector<std::string>& elfFiles,
                                                          const std::string& workDir, const StepLog& log,
                                                          const platform::InterruptionGuard* interruptions,
                                                          std::string* error) {
  if (elfFiles.empty()) return std::vector<std::string>{};
  std::optional<std::string> shlibdeps = findPackagingProgram("dpkg-shlibdeps", "dpkg-dev", error);
  if (!shlibdeps) return std::nullopt;
  // dpkg-shlibdeps reads debian/control from its working folder; the one
  // package named there stands for ours.
  std::string control = platform::joinPath(workDir, "debian/control");
  if (!platform::createDirectories(platform::deletingLastPathComponent(control), error) ||
      !platform::writeNewFile(control, "Source: package\n\nPackage: package\nArchitecture: any\n", 0644, error)) {
    return std::nullopt;
  }
  // The libraries the package brings have no package to depend on; those
  // without any information are left out rather than refused.
  std::vector<std::string> arguments = {"-c", "cd \"$1\" && shift && exec \"$0\" \"$@\"", *shlibdeps, workDir,
                                        "-O", "--ignore-missing-info"};
  for (const std::string& file : elfFiles) arguments.push_back("-e" + platform::joinPath(root, file));
  std::optional<std::string> output = runJdkTool("dpkg-shlibdeps", "/bin/sh", arguments, log, {interruptions}, error);
  if (!output) return std::nullopt;
  for (std::string_view line : splitAt(*output, '\n')) {
    constexpr std::string_view kKey = "shlibs:Depends=";
    if (line.starts_with(kKey)) return dependsClauses(std::string(line.substr(kKey.size())));
  }
  return std::vector<std::string>{};
}

}  // namespace kvx::bundle
