#include "bundle_build.h"

#include <set>

#include "app_configuration.h"
#include "app_content.h"
#include "desktop_entry.h"
#include "module_files.h"
#include "module_hints.h"
#include "module_options.h"
#include "platform/file_creation.h"
#include "platform/file_tree.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "base/text.h"
#include "resource_overrides.h"
#include "runtime_bundle.h"
#include "runtime_home.h"
#include "runtime_maker.h"
#include "source_date_epoch.h"
#include "tree_extras.h"
#include "shared/embed_command.h"

namespace kvx::bundle {
namespace {

// Everything one build step needs.
struct Build {
  const BundleOptions& options;
  const BundlePlan& plan;
  const StagingArea& staging;
  const StepLog& log;
  const platform::InterruptionGuard* interruptions;
  std::string* error;

  platform::FilePlace at(const std::string& relative) const { return staging.place(relative); }
  bool makeParentOf(const std::string& relative) const {
    return platform::createDirectories(at(relative).parent(), error).has_value();
  }
  bool interrupted() const {
    if (!interruptions || interruptions->heldSignal() == 0) return false;
    *error = "interrupted by " + platform::signalName(interruptions->heldSignal());
    return true;
  }
  bool copy(const std::string& from, const std::string& relative) const {
    StepLog::Step step = log.begin("copy", from + " to " + relative);
    if (!makeParentOf(relative) || !platform::copyTree(from, at(relative), error, {interruptions})) return false;
    step.done();
    return true;
  }
  // A runtime as it is, but for links to nothing: a runtime cannot need
  // what is not there, and a distribution's own runtime has some (lib/src.zip
  // leads to a package of sources that is seldom installed).
  bool copyRuntime(const std::string& from, const std::string& relative) const {
    StepLog::Step step = log.begin("copy", from + " to " + relative);
    std::vector<std::string> skipped;
    if (!makeParentOf(relative) || !platform::copyTree(from, at(relative), error, {interruptions, &skipped})) {
      return false;
    }
    for (const std::string& link : skipped) log.note("left out " + platform::joinPath(from, link) + ": a link to nothing");
    step.done();
    return true;
  }
};

std::string iconFileName(const BundleOptions& options) { return options.name + ".png"; }

bool copyInput(const Build& b) { return b.copy(b.options.input, b.plan.layout.inputCopy); }

bool copyAppContent(const Build& b) {
  for (const std::string& content : b.options.appContent) {
    std::string place = appContentPlace(b.options.type, content);
    bool copied = platform::isDirectory(content)
                      ? b.copy(content, place)
                      : b.makeParentOf(place) && platform::copyNewFile(content, b.at(place), b.error);
    if (!copied) return false;
  }
  return true;
}

// Without one, the launcher shows its own English texts.
bool shipMessages(const Build& b) {
  return !b.options.messages || b.copy(*b.options.messages, b.plan.layout.messagesBundle);
}

bool shipIcon(const Build& b) {
  if (!b.options.icon) return true;
  std::string icon = platform::joinPath(b.plan.layout.resources, iconFileName(b.options));
  return b.makeParentOf(icon) && platform::copyNewFile(*b.options.icon, b.at(icon), b.error);
}

bool writeLauncher(const Build& b) {
  const BundleLayout& layout = b.plan.layout;
  std::optional<std::string> icon;
  if (b.options.icon) icon = iconFileName(b.options);
  plist::Value configuration =
      applicationConfiguration({b.options, layout, b.plan.main, b.plan.jars, icon,
                                b.plan.modules ? &*b.plan.modules : nullptr});
  if (!b.makeParentOf(layout.executable)) return false;
  if (b.options.type == BundleType::Cli) {
    std::optional<embed::FilledLauncher> launcher =
        embed::launcherWithDictionary(b.plan.stub, configuration, "the configuration", b.error);
    return launcher && platform::writeNewFile(b.at(layout.executable), launcher->bytes, launcher->permissions, b.error);
  }
  return platform::writeNewFile(b.at(layout.infoPlist), plist::writeXml(configuration), 0644, b.error) &&
         platform::copyNewFile(b.plan.stub, b.at(layout.executable), b.error);
}

bool writeDesktopEntry(const Build& b) {
  if (b.options.type != BundleType::App) return true;
  std::optional<std::string> icon;
  if (b.options.icon) icon = platform::joinPath(b.plan.layout.resources, iconFileName(b.options));
  DesktopEntryParts parts{b.options.name, b.plan.layout.executable, b.options.description, icon,
                          b.plan.main.mainClass};
  parts.mimeTypes = mimeTypesOf(b.options.fileAssociations);
  std::string file = platform::joinPath(b.plan.layout.resources,
                                        desktopEntryFileName(b.options.name, b.options.identifier));
  std::optional<std::string> text =
      textOrOverride(b.options, b.options.name + ".desktop", desktopEntry(parts), b.log, b.error);
  return text && b.makeParentOf(file) && platform::writeNewFile(b.at(file), *text, 0644, b.error);
}

bool shipModules(const Build& b) {
  if (!b.plan.modules || !bringsModuleFiles(*b.plan.modules)) return true;
  StepLog::Step step = b.log.begin("copy", "the modules and native libraries from outside the input");
  if (!copyModuleFiles(*b.plan.modules, b.staging, b.plan.layout.inputCopy, b.error)) return false;
  step.done();
  return true;
}

bool addExtras(const Build& b) {
  return addDocumentsAndLaunchers({b.options, b.plan, b.staging, b.error});
}

bool makeRuntimeWithJlink(const Build& b) {
  const std::vector<std::string>& classPath = b.plan.modules ? b.plan.modules->classPathJars : b.plan.jars;
  std::vector<std::string> jars;
  jars.reserve(classPath.size());
  for (const std::string& jar : classPath) jars.push_back(platform::joinPath(b.options.input, jar));
  std::optional<int64_t> epoch;
  if (!readSourceDateEpoch(epoch, b.error)) return false;
  std::vector<std::string> modulePath;
  std::optional<std::string> linkedModule;
  if (b.plan.modules) {
    modulePath = absoluteModulePaths(*b.plan.modules);
    if (b.plan.modules->linked) linkedModule = moduleNameOf(b.plan.modules->mainModule);
  }
  RuntimeRequest request{*b.plan.jdk,           jars,        b.options.addModules,    b.plan.layout.runtimeHome,
                         b.staging.directory(), epoch.has_value(), b.options.defaultModules, modulePath,
                         linkedModule,          b.options.jlinkOptions};
  if (!b.makeParentOf(b.plan.layout.runtimeHome) || !makeRuntime(request, b.log, b.interruptions, b.error)) {
    return false;
  }
  if (b.options.type == BundleType::Cli) return true;
  // jlink gives the runtime the JDK's release file and the JDK's layout.
  std::optional<RuntimeDescription> description = describeRuntime(b.plan.jdk->home, b.error);
  return description && completeRuntimeBundle(b.at(b.plan.layout.runtime), *description, b.options.identifier, b.error);
}

bool shipPreparedRuntime(const Build& b) {
  const PreparedRuntime& image = *b.plan.image;
  if (b.options.type == BundleType::Cli) return b.copyRuntime(image.home, b.plan.layout.runtimeHome);
  if (image.isBundle) return b.copyRuntime(image.directory, b.plan.layout.runtime);
  return b.copyRuntime(image.home, b.plan.layout.runtimeHome) &&
         completeRuntimeBundle(b.at(b.plan.layout.runtime), image.description, b.options.identifier, b.error);
}

bool shipRuntime(const Build& b) {
  switch (b.options.runtime) {
    case RuntimeSource::Jlink: return makeRuntimeWithJlink(b);
    case RuntimeSource::Image: return shipPreparedRuntime(b);
    case RuntimeSource::None: return true;
  }
  return true;
}

// jdeps cannot see what the jars reach only by name; a runtime without it
// would fail only once the application gets there, so the packager is told now.
bool warnOfModulesReachedByName(const Build& b) {
  if (b.options.runtime == RuntimeSource::None) return true;
  std::vector<ModuleReach> reaches = modulesReachedByName(b.options.input, b.plan.jars);
  b.log.note("modules the jars reach by name: " + (reaches.empty() ? "none" : describeReaches(reaches)));
  // A runtime whose release file lists no modules cannot be judged.
  std::optional<std::string> listed = releaseValue(b.at(b.plan.layout.runtimeHome).shown(), "MODULES");
  if (!listed) return true;
  std::set<std::string> inRuntime;
  for (std::string_view name : splitAt(*listed, ' ')) inRuntime.emplace(name);
  std::vector<ModuleReach> missing = missingModules(reaches, inRuntime);
  if (missing.empty()) return true;
  std::string names;
  for (const ModuleReach& reach : missing) names += (names.empty() ? "" : ",") + reach.module;
  std::string remedy = b.options.runtime == RuntimeSource::Jlink
                           ? "; add them with --add-modules " + names + ", or ship the JDK's default set with --default-modules"
                           : "; make --runtime-image with them";
  b.log.warn("the runtime lacks modules the jars reach by name, which jdeps cannot see: " + describeReaches(missing) +
             remedy);
  return true;
}

}  // namespace

bool buildBundle(const BundleOptions& options, const BundlePlan& plan, const StagingArea& staging,
                 const StepLog& log, const platform::InterruptionGuard* interruptions, std::string* error) {
  Build b{options, plan, staging, log, interruptions, error};
  // The runtime comes last: it takes longest, and a mistake in anything
  // else should show before it is made.
  for (bool (*step)(const Build&) :
       {&copyInput, &copyAppContent, &shipModules, &shipMessages, &shipIcon, &writeLauncher, &writeDesktopEntry,
        &addExtras, &shipRuntime, &warnOfModulesReachedByName}) {
    if (b.interrupted() || !step(b)) return false;
  }
  return !b.interrupted();
}

}  // namespace kvx::bundle
