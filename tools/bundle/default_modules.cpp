#include "default_modules.h"

#include "base/text.h"
#include "jdk_tool_run.h"
#include "platform/file_creation.h"
#include "platform/file_tree.h"

namespace kvx::bundle {
namespace {

constexpr char kSourceName[] = "KvxDefaultModules.java";

// The modules the runtime image holds that export a package without
// qualification are the roots, resolved without binding services, as
// jpackage resolves them for a class-path application.
constexpr char kSource[] = R"(import java.lang.module.*;
import java.util.*;
import java.util.stream.*;

public class KvxDefaultModules {
  public static void main(String[] args) {
    ModuleFinder system = ModuleFinder.ofSystem();
    Set<String> roots = system.findAll().stream().map(ModuleReference::descriptor)
        .filter(d -> d.exports().stream().anyMatch(e -> !e.isQualified()))
        .map(ModuleDescriptor::name).collect(Collectors.toSet());
    System.out.println(Configuration.empty().resolve(system, ModuleFinder.of(), roots).modules().stream()
        .map(ResolvedModule::name).sorted().collect(Collectors.joining(",")));
  }
}
)";

}  // namespace

std::optional<std::vector<std::string>> defaultModuleSet(const Jdk& jdk, const platform::DirectoryHandle& workingDirectory,
                                                         const StepLog& log, const platform::CaptureOptions& inside,
                                                         std::string* error) {
  platform::FilePlace source(workingDirectory, kSourceName);
  if (!platform::writeNewFile(source, kSource, 0644, error)) return std::nullopt;
  std::optional<std::string> output =
      runJdkTool("java (the default modules)", jdk.tool("java"),
                 {"-XX:TieredStopAtLevel=1", "-XX:+UseSerialGC", kSourceName}, log, inside, error);
  std::string removeError;
  if (!platform::removeTree(source, output ? error : &removeError)) return std::nullopt;
  if (!output) return std::nullopt;
  std::vector<std::string> modules;
  for (std::string_view name : splitAt(trimmed(*output), ',')) {
    if (!trimmed(name).empty()) modules.emplace_back(trimmed(name));
  }
  if (modules.empty()) {
    *error = jdk.tool("java") + " named no default modules";
    return std::nullopt;
  }
  return modules;
}

}  // namespace kvx::bundle
