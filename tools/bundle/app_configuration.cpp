#include "app_configuration.h"

#include <algorithm>
#include <iterator>

#include "configuration_entry.h"
#include "file_association.h"
#include "launch_shape.h"
#include "module_configuration.h"
#include "service_unit.h"

namespace kvx::bundle {
namespace {

plist::Value text(const std::string& value) { return plist::Value::string(value); }

void addIfGiven(plist::Dictionary& dict, const config::Key& key, const std::optional<std::string>& value) {
  if (value) addEntry(dict, key, text(*value));
}

plist::Value javaVM(const ConfigurationParts& parts) {
  const BundleOptions& options = parts.options;
  plist::Dictionary vm;
  std::vector<std::string> vmOptions = options.javaOptions;
  if (parts.modules) {
    addModuleKeys(vm, vmOptions, parts.layout, *parts.modules);
  } else {
    addEntry(vm, config::kMainClass, text(parts.main.mainClass));
    addEntry(vm, config::kClassPath, text(options.classPath
                                          ? chosenClassPath(parts.layout, parts.main.mainJar, *options.classPath)
                                          : classPathOf(parts.layout, parts.main.mainJar, parts.jars)));
  }
  if (!vmOptions.empty()) addEntry(vm, config::kVMOptions, stringArray(vmOptions));
  if (!options.arguments.empty()) addEntry(vm, config::kArguments, stringArray(options.arguments));
  if (options.runtime == RuntimeSource::None) addEntry(vm, config::kSearchSequence, stringArray({"EJAVA_HOME", "Y"}));
  addLaunchShapeJavaVMKeys(vm, options, parts.layout);
  return plist::Value::dictionary(std::move(vm));
}

// What the platform shows of the application: its name, identifier,
// version, description, icon.
void addDescription(plist::Dictionary& dict, const ConfigurationParts& parts) {
  const BundleOptions& options = parts.options;
  addEntry(dict, config::kName, text(options.name));
  if (options.type == BundleType::App) {
    addEntry(dict, config::kExecutable, text(options.name));
    addEntry(dict, config::kPackageType, text("APPL"));
    addEntry(dict, config::kInfoDictionaryVersion, text("6.0"));
  }
  addIfGiven(dict, config::kIdentifier, options.identifier);
  addIfGiven(dict, config::kShortVersion, options.appVersion);
  addIfGiven(dict, config::kVersion, options.appVersion);
  addIfGiven(dict, config::kGetInfo, options.description);
  addIfGiven(dict, config::kVendor, options.vendor);
  addIfGiven(dict, config::kIconFile, parts.iconFile);
}

// The documents the application opens; an app tree carries their icons in
// Contents/Resources.
void addDocumentTypes(plist::Dictionary& dict, const BundleOptions& options) {
  if (options.fileAssociations.empty()) return;
  std::vector<std::string> iconFiles;
  for (const FileAssociation& association : options.fileAssociations) {
    bool shipped = association.icon && options.type == BundleType::App;
    iconFiles.push_back(shipped ? associationIconFile(association) : "");
  }
  addEntry(dict, config::kDocumentTypes, documentTypes(options.fileAssociations, options.name, iconFiles));
}

}  // namespace

std::string classPathOf(const BundleLayout& layout, const std::string& mainJar,
                        const std::vector<std::string>& jars) {
  std::vector<std::string> entries = {mainJar};
  std::copy_if(jars.begin(), jars.end(), std::back_inserter(entries), [&](const std::string& jar) { return jar != mainJar; });
  return pathList(layout.classPathBase, entries);
}

plist::Value applicationConfiguration(const ConfigurationParts& parts) {
  const BundleOptions& options = parts.options;
  plist::Dictionary dict;
  addDescription(dict, parts);
  addDocumentTypes(dict, options);
  if (options.type == BundleType::Cli) addEntry(dict, config::kBaseDir, text(".."));
  // A shipped runtime is used whatever its version; the minimum still keeps
  // a runtime named with -jvm= from being one that cannot load the classes,
  // and completes the message shown when no runtime is found.
  addEntry(dict, config::kMinVersion, text(options.minJava.value_or(parts.main.minimumJava)));
  addIfGiven(dict, config::kMaxVersion, options.maxJava);
  if (parts.modules) addEntry(dict, config::kMainModule, text(parts.modules->mainModule));
  // Applications made here start faster from their second start on.
  if (options.startupCache) addEntry(dict, config::kStartupCache, plist::Value::boolean(true));
  addLaunchShapeKeys(dict, options);
  // A service's launcher takes its action word and hands it on (run).
  if (options.launcherAsService) addEntry(dict, config::kService, text(kSystemdServiceMode));
  addEntry(dict, config::kJavaVM, javaVM(parts));
  return plist::Value::dictionary(std::move(dict));
}

}  // namespace kvx::bundle
