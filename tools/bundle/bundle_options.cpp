#include "bundle_options.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "base/utf.h"
#include "build_options_check.h"
#include "documents_and_launchers.h"
#include "launch_shape.h"
#include "module_options.h"
#include "refusal.h"
#include "shown_bytes.h"

namespace kvx::bundle {
namespace {

enum class Kind { Flag, Once, Repeated };

struct OptionForm {
  std::string_view name;
  Kind kind;
  void (*apply)(BundleOptions&, std::string&&);
};

void setType(BundleOptions& o, std::string&& v) {
  o.type = v == "cli" ? BundleType::Cli : BundleType::App;
  if (v == "deb") o.package.format = PackageFormat::Deb;
  if (v == "rpm") o.package.format = PackageFormat::Rpm;
}

// Dependencies, each option a comma-separated list of clauses.
void addDepends(BundleOptions& o, std::string&& v) {
  size_t start = 0;
  while (start <= v.size()) {
    size_t comma = std::min(v.find(',', start), v.size());
    std::string clause = v.substr(start, comma - start);
    clause.erase(0, clause.find_first_not_of(' '));
    clause.erase(clause.find_last_not_of(' ') + 1);
    if (!clause.empty()) o.package.extraDepends.push_back(clause);
    start = comma + 1;
  }
}

// Module names, each option a comma-separated list.
void addModules(BundleOptions& o, std::string&& v) {
  size_t start = 0;
  while (start <= v.size()) {
    size_t comma = std::min(v.find(',', start), v.size());
    if (comma > start) o.addModules.push_back(v.substr(start, comma - start));
    start = comma + 1;
  }
}

// Paths, each option a comma-separated list, as jpackage takes them.
void addAppContent(BundleOptions& o, std::string&& v) {
  size_t start = 0;
  while (start <= v.size()) {
    size_t comma = std::min(v.find(',', start), v.size());
    if (comma > start) o.appContent.push_back(v.substr(start, comma - start));
    start = comma + 1;
  }
}

// jlink's options, each option of kvx-bundle a list separated by blanks.
void addJlinkOptions(BundleOptions& o, std::string&& v) {
  if (!o.jlinkOptions) o.jlinkOptions.emplace();
  size_t start = 0;
  while (start < v.size()) {
    size_t blank = std::min(v.find(' ', start), v.size());
    if (blank > start) o.jlinkOptions->push_back(v.substr(start, blank - start));
    start = blank + 1;
  }
}

constexpr OptionForm kOptions[] = {
    {"--name", Kind::Once, [](BundleOptions& o, std::string&& v) { o.name = std::move(v); }},
    {"--input", Kind::Once, [](BundleOptions& o, std::string&& v) { o.input = std::move(v); }},
    {"--dest", Kind::Once, [](BundleOptions& o, std::string&& v) { o.dest = std::move(v); }},
    {"--type", Kind::Once, setType},
    {"--main-class", Kind::Once, [](BundleOptions& o, std::string&& v) { o.mainClass = std::move(v); }},
    {"--main-jar", Kind::Once, [](BundleOptions& o, std::string&& v) { o.mainJar = std::move(v); }},
    {"--java-options", Kind::Repeated,
     [](BundleOptions& o, std::string&& v) { o.javaOptions.push_back(std::move(v)); }},
    {"--arguments", Kind::Repeated,
     [](BundleOptions& o, std::string&& v) { o.arguments.push_back(std::move(v)); }},
    {"--jdk", Kind::Once, [](BundleOptions& o, std::string&& v) { o.jdk = std::move(v); }},
    {"--add-modules", Kind::Repeated, addModules},
    {"--runtime-image", Kind::Once, [](BundleOptions& o, std::string&& v) { o.runtimeImage = std::move(v); }},
    {"--no-runtime", Kind::Flag, [](BundleOptions& o, std::string&&) { o.runtime = RuntimeSource::None; }},
    {"--no-startup-cache", Kind::Flag, [](BundleOptions& o, std::string&&) { o.startupCache = false; }},
    {"--min-java", Kind::Once, [](BundleOptions& o, std::string&& v) { o.minJava = std::move(v); }},
    {"--max-java", Kind::Once, [](BundleOptions& o, std::string&& v) { o.maxJava = std::move(v); }},
    {"--app-version", Kind::Once, [](BundleOptions& o, std::string&& v) { o.appVersion = std::move(v); }},
    {"--identifier", Kind::Once, [](BundleOptions& o, std::string&& v) { o.identifier = std::move(v); }},
    {"--description", Kind::Once, [](BundleOptions& o, std::string&& v) { o.description = std::move(v); }},
    {"--vendor", Kind::Once, [](BundleOptions& o, std::string&& v) { o.vendor = std::move(v); }},
    {"--icon", Kind::Once, [](BundleOptions& o, std::string&& v) { o.icon = std::move(v); }},
    {"--messages", Kind::Once, [](BundleOptions& o, std::string&& v) { o.messages = std::move(v); }},
    {"--stub", Kind::Once, [](BundleOptions& o, std::string&& v) { o.stub = std::move(v); }},
    {"--package-tree", Kind::Once, [](BundleOptions& o, std::string&& v) { o.package.cliTree = v == "cli"; }},
    {"--install-dir", Kind::Once, [](BundleOptions& o, std::string&& v) { o.package.installDir = std::move(v); }},
    {"--linux-package-name", Kind::Once,
     [](BundleOptions& o, std::string&& v) { o.package.packageName = std::move(v); }},
    {"--linux-app-release", Kind::Once, [](BundleOptions& o, std::string&& v) { o.package.release = std::move(v); }},
    {"--linux-deb-maintainer", Kind::Once,
     [](BundleOptions& o, std::string&& v) { o.package.maintainer = std::move(v); }},
    {"--copyright", Kind::Once, [](BundleOptions& o, std::string&& v) { o.package.copyright = std::move(v); }},
    {"--license-file", Kind::Once, [](BundleOptions& o, std::string&& v) { o.package.licenseFile = std::move(v); }},
    {"--linux-rpm-license-type", Kind::Once,
     [](BundleOptions& o, std::string&& v) { o.package.licenseType = std::move(v); }},
    {"--about-url", Kind::Once, [](BundleOptions& o, std::string&& v) { o.package.aboutUrl = std::move(v); }},
    {"--linux-package-deps", Kind::Repeated, addDepends},
    {"--linux-menu-group", Kind::Once, [](BundleOptions& o, std::string&& v) { o.package.menuGroup = std::move(v); }},
    {"--linux-app-category", Kind::Once,
     [](BundleOptions& o, std::string&& v) { o.package.appCategory = std::move(v); }},
    {"--linux-shortcut", Kind::Flag, [](BundleOptions& o, std::string&&) { o.package.shortcut = true; }},
    {"--verbose", Kind::Flag, [](BundleOptions& o, std::string&&) { o.verbose = true; }},
    {"--help", Kind::Flag, [](BundleOptions& o, std::string&&) { o.help = true; }},
    {"--add-to-menu", Kind::Once, [](BundleOptions& o, std::string&& v) { o.addToMenu = std::move(v); }},
    {"--remove-from-menu", Kind::Once,
     [](BundleOptions& o, std::string&& v) { o.removeFromMenu = std::move(v); }},
    {"--version", Kind::Flag, [](BundleOptions& o, std::string&&) { o.version = true; }},
    // How the application meets its user's command line and its own files.
    {"--working-dir", Kind::Once, [](BundleOptions& o, std::string&& v) { o.workingDir = std::move(v); }},
    {"--default-arguments", Kind::Repeated,
     [](BundleOptions& o, std::string&& v) { o.defaultArguments.push_back(std::move(v)); }},
    {"--allow-passthrough", Kind::Flag, [](BundleOptions& o, std::string&&) { o.allowPassthrough = true; }},
    {"--class-path", Kind::Once, [](BundleOptions& o, std::string&& v) { o.classPath = std::move(v); }},
    {"--splash", Kind::Once, [](BundleOptions& o, std::string&& v) { o.splash = std::move(v); }},
    {"--default-modules", Kind::Flag, [](BundleOptions& o, std::string&&) { o.defaultModules = true; }},
    {"--module", Kind::Once, [](BundleOptions& o, std::string&& v) { o.module = std::move(v); }},
    {"--module-path", Kind::Repeated,
     [](BundleOptions& o, std::string&& v) { o.modulePath.push_back(std::move(v)); }},
    // Documents and further launchers.
    {"--file-associations", Kind::Repeated,
     [](BundleOptions& o, std::string&& v) { o.fileAssociationFiles.push_back(std::move(v)); }},
    {"--add-launcher", Kind::Repeated,
     [](BundleOptions& o, std::string&& v) { o.addLauncherOptions.push_back(std::move(v)); }},
    // Services and the build's own workings.
    {"--launcher-as-service", Kind::Flag, [](BundleOptions& o, std::string&&) { o.launcherAsService = true; }},
    {"--app-content", Kind::Repeated, addAppContent},
    {"--jlink-options", Kind::Repeated, addJlinkOptions},
    {"--temp", Kind::Once, [](BundleOptions& o, std::string&& v) { o.temp = std::move(v); }},
    {"--resource-dir", Kind::Once, [](BundleOptions& o, std::string&& v) { o.resourceDir = std::move(v); }},
};

// Options whose values are only paths kvx-bundle reads or writes, never
// written into the configuration; every other value is.
constexpr std::string_view kPathOnlyOptions[] = {"--input", "--dest",    "--jdk",  "--runtime-image",
                                                 "--icon",  "--messages", "--stub", "--install-dir", "--license-file", "--add-to-menu", "--remove-from-menu",
                                                 "--app-content", "--jlink-options", "--temp", "--resource-dir"};

// Files read once every option is; what they say is checked then.
constexpr std::string_view kReadLaterOptions[] = {"--file-associations", "--add-launcher"};

bool entersConfiguration(std::string_view option) {
  return std::find(std::begin(kPathOnlyOptions), std::end(kPathOnlyOptions), option) == std::end(kPathOnlyOptions) &&
         std::find(std::begin(kReadLaterOptions), std::end(kReadLaterOptions), option) == std::end(kReadLaterOptions);
}

const OptionForm* findOption(std::string_view name) {
  for (const OptionForm& option : kOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

bool holdsControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  });
}

// Reads one option, and its value from the same or the next argument.
bool readOption(const std::vector<std::string>& args, size_t& i, BundleOptions& options,
                std::set<std::string_view>& seen, std::string* error) {
  const std::string& arg = args[i];
  size_t equals = arg.find('=');
  std::string_view name = std::string_view(arg).substr(0, equals);
  const OptionForm* form = name.starts_with("--") ? findOption(name) : nullptr;
  if (!form && (arg == "-h" || arg == "-?")) form = findOption("--help");
  if (!form) {
    if (!arg.starts_with("-")) return fail(error, "unexpected argument \"" + arg + "\" (options begin with --)");
    return fail(error, "unknown option " + std::string(name) + " (see kvx-bundle --help)");
  }
  if (!seen.insert(form->name).second && form->kind != Kind::Repeated) {
    return fail(error, std::string(form->name) + " is given twice");
  }
  std::string value;
  if (form->kind == Kind::Flag) {
    if (equals != std::string::npos) return fail(error, std::string(form->name) + " takes no value");
  } else if (equals != std::string::npos) {
    value = arg.substr(equals + 1);
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    return fail(error, std::string(form->name) + " needs a value");
  }
  if (holdsControlCharacter(value)) {
    return fail(error, std::string(form->name) + ": a value may not hold control characters");
  }
  if (entersConfiguration(form->name) && !isValidUtf8(value)) {
    return fail(error, std::string(form->name) + " \"" + shownBytes(value) +
                           "\": not UTF-8, which the launcher reads its configuration as");
  }
  if (form->name == "--type" && value != "app" && value != "cli" && value != "deb" && value != "rpm") {
    return fail(error, "--type is app, cli, deb or rpm, not \"" + value + "\"");
  }
  if (form->name == "--package-tree" && value != "app" && value != "cli") {
    return fail(error, "--package-tree is app or cli, not \"" + value + "\"");
  }
  form->apply(options, std::move(value));
  return true;
}

bool validName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name.front() != '.';
}

// The launcher names the user's options file and the startup cache's folder
// after the identifier; it passes over one that is no file name ("." or
// ".."), and one beginning with "." would make them hidden.
bool validIdentifier(const std::string& identifier) {
  return !identifier.empty() && identifier.front() != '.' && std::all_of(identifier.begin(), identifier.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
  });
}

bool checkRequired(const BundleOptions& o, std::string* error) {
  for (auto [value, name] : {std::pair{&o.name, "--name"}, {&o.input, "--input"}, {&o.dest, "--dest"}}) {
    if (value->empty()) return fail(error, std::string(name) + " is required (see kvx-bundle --help)");
  }
  if (!validName(o.name)) {
    return fail(error, "--name \"" + o.name + "\": a name may not hold \"/\" nor begin with \".\"");
  }
  if (o.identifier && !validIdentifier(*o.identifier)) {
    return fail(error, "--identifier \"" + *o.identifier +
                           "\": only letters, digits, \"-\" and \".\", not first (a reverse domain name such as com.example.hello)");
  }
  return true;
}

bool checkRuntimeChoice(BundleOptions& o, std::string* error) {
  bool none = o.runtime == RuntimeSource::None;
  if (none && o.runtimeImage) return fail(error, "--no-runtime and --runtime-image exclude each other");
  if (o.runtimeImage) o.runtime = RuntimeSource::Image;
  if (o.runtime != RuntimeSource::Jlink && (o.jdk || !o.addModules.empty())) {
    return fail(error, std::string(o.jdk ? "--jdk" : "--add-modules") +
                           " is for a runtime made with jlink; it does not go with " +
                           (none ? "--no-runtime" : "--runtime-image"));
  }
  if (!none && (o.minJava || o.maxJava)) {
    return fail(error, std::string(o.minJava ? "--min-java" : "--max-java") +
                           " goes only with --no-runtime: a shipped runtime is used whatever its version");
  }
  return true;
}

}  // namespace

std::optional<BundleOptions> parseBundleOptions(const std::vector<std::string>& args, std::string* error) {
  BundleOptions options;
  std::set<std::string_view> seen;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!readOption(args, i, options, seen, error)) return std::nullopt;
  }
  if (options.help || options.version) return options;
  if (options.addToMenu || options.removeFromMenu) {
    std::set<std::string_view> alone = {"--add-to-menu", "--remove-from-menu", "--verbose"};
    for (std::string_view name : seen) {
      if (alone.contains(name)) continue;
      fail(error, std::string(name) + " does not go with --add-to-menu or --remove-from-menu");
      return std::nullopt;
    }
    if (options.addToMenu && options.removeFromMenu) {
      fail(error, "--add-to-menu and --remove-from-menu exclude each other");
      return std::nullopt;
    }
    return options;
  }
  if (!checkRequired(options, error) || !checkRuntimeChoice(options, error) ||
      !checkPackageOptions(options, error) || !checkLaunchShapeOptions(options, error) ||
      !checkModuleOptions(options, error) || !readDocumentsAndLaunchers(options, error) ||
      !checkBuildOptions(options, error)) {
    return std::nullopt;
  }
  if (options.icon && options.type == BundleType::Cli && !options.package.shortcut) {
    *error = "--icon goes only with --type app: a command-line application shows no icon";
    return std::nullopt;
  }
  return options;
}

std::vector<std::string_view> bundleOptionNames() {
  std::vector<std::string_view> names;
  for (const OptionForm& option : kOptions) names.push_back(option.name);
  return names;
}

}  // namespace kvx::bundle
