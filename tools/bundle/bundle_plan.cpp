#include "bundle_plan.h"

#include <algorithm>

#include "app_format/app_layout.h"
#include "base/utf.h"
#include "icon_file.h"
#include "java_version.h"
#include "launch_shape.h"
#include "messages_bundle.h"
#include "package_build.h"
#include "platform/file_tree.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "refusal.h"
#include "shared/embed_command.h"
#include "shared/stub_location.h"
#include "shown_bytes.h"

namespace kvx::bundle {
namespace {

bool planStub(const BundleOptions& options, BundlePlan& plan, std::string* error) {
  std::optional<std::string> stub = tools::findStub(options.stub, error);
  if (!stub) return false;
  plan.stub = *stub;
  return embed::checkPlainStub(plan.stub, error);
}

bool planInput(const BundleOptions& options, BundlePlan& plan, std::string* error) {
  if (!platform::isDirectory(options.input)) return fail(error, "--input " + options.input + ": no such directory");
  std::optional<std::vector<std::string>> files = platform::listFilesInTree(options.input, error);
  if (!files) return false;
  for (const std::string& file : *files) {
    // The launcher reads the application's paths as UTF-8.
    if (!isValidUtf8(file)) {
      return fail(error, shownBytes(platform::joinPath(options.input, file)) +
                             ": a file name that is not UTF-8; the application could not name it");
    }
    if (file.ends_with(".jar")) plan.jars.push_back(file);
    if (file.starts_with(std::string(app_layout::kMessagesBundle) + "/")) plan.inputHasMessages = true;
  }
  auto withColon = std::find_if(plan.jars.begin(), plan.jars.end(),
                                [](const std::string& jar) { return jar.find(':') != std::string::npos; });
  if (withColon != plan.jars.end()) {
    return fail(error, platform::joinPath(options.input, *withColon) +
                           ": a jar whose path holds \":\" cannot stand on a class path");
  }
  return true;
}

// The absolute path with every link resolved, as far as the path exists.
std::string resolvedAsFarAsItExists(const std::string& path) {
  std::string cwd = platform::resolveSymlinks(".").value_or("/");
  std::string existing = platform::isAbsolutePath(path) ? path : platform::joinPath(cwd, path);
  std::vector<std::string> missing;
  std::optional<std::string> resolved;
  while (!(resolved = platform::resolveSymlinks(existing)) && existing != "/" && !existing.empty()) {
    missing.push_back(platform::lastPathComponent(existing));
    existing = platform::deletingLastPathComponent(existing);
  }
  std::string result = resolved.value_or(existing);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) result = platform::joinPath(result, *it);
  return platform::standardizePath(result);
}

bool planTarget(const BundleOptions& options, BundlePlan& plan, std::string* error) {
  plan.target = platform::joinPath(options.dest, plan.layout.top);
  if (options.package.format != PackageFormat::None) {
    std::optional<std::string> file = packageFileName(options, plan.stub, error);
    if (!file) return false;
    plan.target = platform::joinPath(options.dest, *file);
  }
  if (platform::entryExists(plan.target)) {
    return fail(error, plan.target + " exists already; kvx-bundle never replaces an application");
  }
  std::string input = resolvedAsFarAsItExists(options.input);
  std::string dest = resolvedAsFarAsItExists(options.dest);
  if (dest == input || dest.starts_with(input + "/")) {
    return fail(error, "--dest " + options.dest + " lies inside --input " + options.input +
                           ": each application would be copied into the next");
  }
  // A link in the input to DEST, or to a directory above it, would have the
  // copy of the input reach the application being made, and copy it into itself.
  std::string reached = dest;
  while (!platform::isDirectory(reached) && reached != "/" && !reached.empty()) reached = platform::deletingLastPathComponent(reached);
  if (std::optional<std::string> link = platform::pathIntoDirectory(options.input, reached)) {
    return fail(error, "--input " + options.input + ": " + platform::joinPath(options.input, *link) +
                           " leads to --dest " + options.dest + " or above it: the application would be copied into itself");
  }
  return true;
}

// A runtime older than the release the main class needs would refuse to load it.
bool checkRuntimeRelease(const std::string& version, const std::string& whose, const BundlePlan& plan,
                         std::string* error) {
  if (featureRelease(version) >= featureRelease(plan.main.minimumJava)) return true;
  return fail(error, whose + " is Java " + version + ", but the main class " + plan.main.mainClass +
                         " needs Java " + plan.main.minimumJava + " or later");
}

bool planRuntime(const BundleOptions& options, BundlePlan& plan, const StepLog& log, std::string* error) {
  switch (options.runtime) {
    case RuntimeSource::Jlink:
      plan.jdk = findJdk(options.jdk, error);
      if (!plan.jdk) return false;
      // Its tools run in the directory the application is made in.
      plan.jdk->home = platform::absolutePath(plan.jdk->home).value_or(plan.jdk->home);
      log.note("JDK: " + plan.jdk->home + " (" + plan.jdk->version + ")");
      return checkRuntimeRelease(plan.jdk->version, "the JDK at " + plan.jdk->home, plan, error);
    case RuntimeSource::Image:
      plan.image = inspectRuntimeImage(*options.runtimeImage, plan.stub, error);
      if (!plan.image) return false;
      return checkRuntimeRelease(plan.image->description.version, "--runtime-image " + plan.image->directory,
                                 plan, error);
    case RuntimeSource::None:
      if (!options.maxJava || featureRelease(*options.maxJava) >= featureRelease(plan.main.minimumJava)) {
        return true;
      }
      return fail(error, "--max-java " + *options.maxJava + " is below Java " + plan.main.minimumJava +
                             ", which the main class " + plan.main.mainClass + " needs");
  }
  return true;
}

bool planExtras(const BundleOptions& options, const BundlePlan& plan, std::string* error) {
  if (options.icon && !checkPngIcon(*options.icon, error)) return false;
  if (!options.messages) return true;
  if (plan.inputHasMessages && options.type == BundleType::App) {
    return fail(error, "--messages " + *options.messages + ": the input brings its own " + app_layout::kMessagesBundle);
  }
  return checkMessagesBundle(*options.messages, error);
}

// The main class in its jar, or with --module the main module on its path.
bool planMain(const BundleOptions& options, BundlePlan& plan, const StepLog& log, std::string* error) {
  if (options.module) {
    plan.modules = planModules(options, plan.jars, error);
    if (!plan.modules) return false;
    plan.main = MainClassChoice{plan.modules->mainClass, "", plan.modules->minimumJava};
    log.note("main module " + plan.modules->mainModule + ", main class " + plan.main.mainClass + ", for Java " +
             plan.main.minimumJava + " or later; its modules " +
             (plan.modules->linked ? "go into the runtime" : "stay on the module path"));
    if (plan.modules->javafx) log.note("JavaFX's native libraries from " + plan.modules->javafx->directory);
    return true;
  }
  std::optional<MainClassChoice> main =
      chooseMainClass({options.input, plan.jars, options.mainJar, options.mainClass}, error);
  if (!main) return false;
  plan.main = *main;
  log.note("main class " + plan.main.mainClass + " in " + plan.main.mainJar + ", for Java " +
           plan.main.minimumJava + " or later");
  return true;
}

// An icon a properties file names, with the option that read it.
bool checkOtherIcon(const std::string& path, const std::string& option, std::string* error) {
  if (checkPngIcon(path, error)) return true;
  if (error->starts_with("--icon ")) error->erase(0, 7);
  return fail(error, option + ": icon " + *error);
}

// A further launcher's main class, from its own main-class and main-jar,
// else the application's; it must load on the same runtime.
bool planAddedLauncher(const BundleOptions& options, const AddedLauncher& launcher, BundlePlan& plan,
                       const StepLog& log, std::string* error) {
  MainClassChoice main = plan.main;
  if (launcher.mainClass || launcher.mainJar) {
    std::string reason;
    std::optional<MainClassChoice> chosen =
        chooseMainClass({options.input, plan.jars, launcher.mainJar, launcher.mainClass}, &reason);
    if (!chosen) return fail(error, "--add-launcher " + launcher.name + "=" + launcher.file + ": " + reason);
    main = *chosen;
  }
  log.note("launcher " + launcher.name + ": main class " + main.mainClass + " in " + main.mainJar);
  // The runtime is shared: it must load this class too.
  std::optional<std::string> runtime;
  if (plan.jdk) runtime = plan.jdk->version;
  if (plan.image) runtime = plan.image->description.version;
  if (options.runtime == RuntimeSource::None) runtime = options.maxJava;
  if (runtime && featureRelease(*runtime) < featureRelease(main.minimumJava)) {
    return fail(error, "--add-launcher " + launcher.name + ": the main class " + main.mainClass + " needs Java " +
                           main.minimumJava + ", but the application's runtime is Java " + *runtime);
  }
  plan.addedMains.push_back(main);
  return true;
}

bool planDocumentsAndLaunchers(const BundleOptions& options, BundlePlan& plan, const StepLog& log,
                               std::string* error) {
  for (const FileAssociation& association : options.fileAssociations) {
    if (association.icon && !checkOtherIcon(*association.icon, "--file-associations " + association.file, error)) {
      return false;
    }
  }
  for (const AddedLauncher& launcher : options.addedLaunchers) {
    if (launcher.icon && !checkOtherIcon(*launcher.icon, "--add-launcher " + launcher.name + "=" + launcher.file, error)) {
      return false;
    }
    if (!planAddedLauncher(options, launcher, plan, log, error)) return false;
  }
  return true;
}

}  // namespace

std::optional<BundlePlan> planBundle(const BundleOptions& options, const StepLog& log, std::string* error) {
  BundlePlan plan;
  plan.layout = layoutFor(options.type, options.name);
  if (!planStub(options, plan, error) || !planInput(options, plan, error) || !planTarget(options, plan, error)) {
    return std::nullopt;
  }
  if (!planMain(options, plan, log, error)) return std::nullopt;
  if (!planRuntime(options, plan, log, error) || !planExtras(options, plan, error) ||
      !checkLaunchShapeInput(options, error) || !planDocumentsAndLaunchers(options, plan, log, error)) {
    return std::nullopt;
  }
  return plan;
}

}  // namespace kvx::bundle
