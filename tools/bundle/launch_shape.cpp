#include "launch_shape.h"

#include <algorithm>

#include "base/text.h"
#include "configuration_entry.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "refusal.h"

namespace kvx::bundle {
namespace {

// The input's files, wherever the layout puts them: the launcher reads it
// as the application root, or kvx.appDir below it.
constexpr char kInputDir[] = "${launcher:kvx.appDir}";

std::vector<std::string> entriesOf(const std::string& classPath) {
  std::vector<std::string> entries;
  for (std::string_view entry : splitAt(classPath, ':')) entries.emplace_back(entry);
  return entries;
}

// A path that names a file of the input: relative, and never above it.
std::string outsideInputReason(const std::string& path) {
  if (path.empty()) return "an empty entry";
  if (path.starts_with("/")) return "\"" + path + "\" is absolute; give it relative to --input";
  for (size_t start = 0; start <= path.size();) {
    size_t slash = std::min(path.find('/', start), path.size());
    if (path.compare(start, slash - start, "..") == 0 && slash - start == 2) {
      return "\"" + path + "\" leaves the input; only its files are shipped";
    }
    start = slash + 1;
  }
  return "";
}

bool checkInsideInput(const char* option, const std::string& path, std::string* error) {
  std::string reason = outsideInputReason(path);
  return reason.empty() || fail(error, std::string(option) + ": " + reason);
}

// An entry "dir/*" stands for the jars in dir, which must be there.
bool entryExists(const std::string& input, const std::string& entry) {
  if (entry == "*") return true;
  if (entry.ends_with("/*")) return platform::isDirectory(platform::joinPath(input, entry.substr(0, entry.size() - 2)));
  return platform::fileExists(platform::joinPath(input, entry));
}

plist::Value text(const std::string& value) { return plist::Value::string(value); }

}  // namespace

bool checkLaunchShapeOptions(const BundleOptions& options, std::string* error) {
  if (!options.arguments.empty() && !options.defaultArguments.empty()) {
    return fail(error, "--arguments and --default-arguments exclude each other: the first always go before the "
                       "user's arguments, the second only stand in when the user gives none");
  }
  if (options.workingDir && options.workingDir->empty()) {
    return fail(error, "--working-dir needs a directory (\".\" for the input's own)");
  }
  if (options.classPath && options.module) {
    return fail(error, "--class-path and --module exclude each other: a modular application's other jars "
                       "form its class path");
  }
  if (options.classPath) {
    for (const std::string& entry : entriesOf(*options.classPath)) {
      if (!checkInsideInput("--class-path", entry, error)) return false;
    }
  }
  if (options.splash && !checkInsideInput("--splash", *options.splash, error)) return false;
  if (options.defaultModules && options.runtime != RuntimeSource::Jlink) {
    return fail(error, std::string("--default-modules is for a runtime made with jlink; it does not go with ") +
                           (options.runtime == RuntimeSource::None ? "--no-runtime" : "--runtime-image"));
  }
  return true;
}

bool checkLaunchShapeInput(const BundleOptions& options, std::string* error) {
  if (options.classPath) {
    for (const std::string& entry : entriesOf(*options.classPath)) {
      if (!entryExists(options.input, entry)) {
        return fail(error, "--class-path: " + platform::joinPath(options.input, entry) + ": no such file in the input");
      }
    }
  }
  // The launcher passes over a directory it cannot enter, so a mistake
  // here would only show as an application working somewhere else.
  const std::optional<std::string>& dir = options.workingDir;
  if (dir && !dir->starts_with("/") && !dir->starts_with("${") &&
      !platform::isDirectory(platform::joinPath(options.input, *dir))) {
    return fail(error, "--working-dir: " + platform::joinPath(options.input, *dir) + ": no such directory in the input");
  }
  if (options.splash && !platform::fileExists(platform::joinPath(options.input, *options.splash))) {
    return fail(error, "--splash: " + platform::joinPath(options.input, *options.splash) + ": no such file in the input");
  }
  return true;
}

void addLaunchShapeKeys(plist::Dictionary& top, const BundleOptions& options) {
  // The tree's root is its top directory and the input lies in lib/; a
  // bundle's root is the input itself.
  if (options.type == BundleType::Cli) addEntry(top, config::kAppDir, text("lib"));
  // A file the user names on the command line is found where the user is.
  if (!options.workingDir) addEntry(top, config::kKeepWorkingDirectory, plist::Value::boolean(true));
  if (options.allowPassthrough) addEntry(top, config::kAllowPassthrough, plist::Value::boolean(true));
  if (!options.defaultArguments.empty()) addEntry(top, config::kArgumentsOnlyWhenNone, plist::Value::boolean(true));
}

void addLaunchShapeJavaVMKeys(plist::Dictionary& javaVM, const BundleOptions& options, const BundleLayout& layout) {
  if (options.workingDir) addEntry(javaVM, config::kWorkingDirectory, text(workingDirectoryValue(*options.workingDir)));
  if (options.splash) addEntry(javaVM, config::kSplashFile, text(layout.classPathBase + "/" + *options.splash));
  if (!options.defaultArguments.empty()) addEntry(javaVM, config::kArguments, stringArray(options.defaultArguments));
}

std::string chosenClassPath(const BundleLayout& layout, const std::string& mainJar, const std::string& classPath) {
  std::vector<std::string> entries = entriesOf(classPath);
  if (std::find(entries.begin(), entries.end(), mainJar) == entries.end()) entries.insert(entries.begin(), mainJar);
  return pathList(layout.classPathBase, entries);
}

std::string workingDirectoryValue(const std::string& dir) {
  if (dir.starts_with("/") || dir.starts_with("${")) return dir;
  if (dir == ".") return kInputDir;
  return std::string(kInputDir) + "/" + dir;
}

}  // namespace kvx::bundle
