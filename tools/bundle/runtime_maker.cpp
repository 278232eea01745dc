#include "runtime_maker.h"

#include <algorithm>

#include "base/text.h"
#include "default_modules.h"
#include "java_version.h"
#include "jdk_tool_run.h"
#include "package_programs.h"
#include "platform/file_tree.h"
#include "platform/paths.h"

namespace kvx::bundle {
namespace {

std::string joined(const std::vector<std::string>& items, char separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : std::string(1, separator)) + item;
  return text;
}

// jdeps and jlink run for seconds: the optimizing compiler's threads cost
// them more than they save, most of all on a busy machine, and the small
// collector is the quickest to start. Neither changes what the tools make.
constexpr const char* kShortRunFlags[] = {"-J-XX:TieredStopAtLevel=1", "-J-XX:+UseSerialGC"};

std::vector<std::string> withShortRunFlags(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), std::begin(kShortRunFlags), std::end(kShortRunFlags));
  return arguments;
}

// What jdeps is asked about: the jars, and the modules on the module path
// unless jlink resolves them itself.
bool needsJdeps(const RuntimeRequest& request) {
  return !request.jars.empty() || (!request.modulePath.empty() && !request.linkedModule);
}

std::optional<std::vector<std::string>> modulesNeeded(const RuntimeRequest& request, const StepLog& log,
                                                      const platform::InterruptionGuard* interruptions,
                                                      std::string* error) {
  std::vector<std::string> modules;
  // jlink takes the linked module and whatever it requires from the module path.
  if (request.linkedModule) modules.push_back(*request.linkedModule);
  if (needsJdeps(request)) {
    // Multi-release jars are read as the runtime's own release would read them.
    std::vector<std::string> arguments = {"--print-module-deps", "--ignore-missing-deps", "--multi-release",
                                          std::to_string(featureRelease(request.jdk.version))};
    if (!request.modulePath.empty()) {
      arguments.insert(arguments.end(), {"--module-path", joined(request.modulePath, ':')});
      if (!request.linkedModule) arguments.insert(arguments.end(), {"--add-modules", "ALL-MODULE-PATH"});
    }
    arguments.insert(arguments.end(), request.jars.begin(), request.jars.end());
    std::optional<std::string> output =
        runJdkTool("jdeps", request.jdk.tool("jdeps"), withShortRunFlags(arguments), log, {interruptions}, error);
    if (!output) return std::nullopt;
    std::vector<std::string> found = modulesOfJdepsOutput(*output);
    log.note("modules the jars need: " + joined(found, ','));
    for (const std::string& module : found) {
      if (std::find(modules.begin(), modules.end(), module) == modules.end()) modules.push_back(module);
    }
  }
  for (const std::string& added : request.addModules) {
    if (std::find(modules.begin(), modules.end(), added) == modules.end()) modules.push_back(added);
  }
  return modules;
}

bool addDefaultModules(const RuntimeRequest& request, const StepLog& log, const platform::CaptureOptions& inside,
                       std::vector<std::string>& modules, std::string* error) {
  std::optional<std::vector<std::string>> defaults =
      defaultModuleSet(request.jdk, request.workingDirectory, log, inside, error);
  if (!defaults) return false;
  log.note("the JDK's default modules: " + joined(*defaults, ','));
  for (const std::string& module : *defaults) {
    if (std::find(modules.begin(), modules.end(), module) == modules.end()) modules.push_back(module);
  }
  return true;
}

}  // namespace

std::vector<std::string> modulesOfJdepsOutput(const std::string& output) {
  std::vector<std::string> modules;
  std::string_view last;
  for (std::string_view line : splitAt(output, '\n')) {
    if (!trimmed(line).empty()) last = trimmed(line);
  }
  for (std::string_view name : splitAt(last, ',')) {
    if (!trimmed(name).empty()) modules.emplace_back(trimmed(name));
  }
  if (modules.empty()) modules.emplace_back("java.base");
  return modules;
}

bool archiveIsStable(int featureRelease) { return featureRelease >= 21; }

// What a launched application never uses: keytool is a tool for people,
// and the virtual machine's symbol table only names functions in a crash
// report (a fifth of libjvm.so). java stays: the startup cache builds with it.
bool trimRuntime(const RuntimeRequest& request, const StepLog& log, const platform::CaptureOptions& inside,
                 std::string* error) {
  if (!platform::removeTree({request.workingDirectory, platform::joinPath(request.home, "bin/keytool")}, error)) {
    return false;
  }
  std::string missing;
  std::optional<std::string> strip = findPackagingProgram("strip", "binutils", &missing);
  if (!strip) {
    log.note(missing + ": the runtime keeps its symbol tables");
    return true;
  }
  std::string libjvm = platform::joinPath(request.home, "lib/server/libjvm.so");
  return runJdkTool("strip", *strip, {"--strip-unneeded", "--remove-section=.comment", libjvm}, log, inside, error)
      .has_value();
}

std::vector<std::string> jlinkDefaults() { return {"--strip-debug", "--no-man-pages", "--no-header-files"}; }

bool makeRuntime(const RuntimeRequest& request, const StepLog& log,
                 const platform::InterruptionGuard* interruptions, std::string* error) {
  std::optional<std::vector<std::string>> modules = modulesNeeded(request, log, interruptions, error);
  if (!modules) return false;
  // Both run inside the opened directory and are handed paths relative to
  // it: its name could meanwhile lead elsewhere.
  platform::CaptureOptions inside{interruptions, &request.workingDirectory};
  if (request.defaultModules && !addDefaultModules(request, log, inside, *modules, error)) return false;
  int release = featureRelease(request.jdk.version);
  std::vector<std::string> jlink = {"--add-modules", joined(*modules, ','), "--output", request.home};
  const std::vector<std::string>& options = request.jlinkOptions.value_or(jlinkDefaults());
  jlink.insert(jlink.end(), options.begin(), options.end());
  if (request.linkedModule) jlink.insert(jlink.end(), {"--module-path", joined(request.modulePath, ':')});
  if (!runJdkTool("jlink", request.jdk.tool("jlink"), withShortRunFlags(jlink), log, inside, error) ||
      !trimRuntime(request, log, inside, error)) {
    return false;
  }
  if (request.reproducible && !archiveIsStable(release)) {
    log.note("SOURCE_DATE_EPOCH is set and JDK " + std::to_string(release) +
             " writes a different class-data archive at every run: the runtime goes without one");
    return true;
  }
  // The archive goes where the virtual machine looks for its default one.
  std::string java = "./" + platform::joinPath(request.home, "bin/java");
  return runJdkTool("java -Xshare:dump", java, {"-Xshare:dump"}, log, inside, error).has_value();
}

}  // namespace kvx::bundle
