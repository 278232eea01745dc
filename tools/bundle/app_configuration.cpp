#include "app_configuration.h"

#include "file_association.h"
#include "launch_shape.h"
#include "module_configuration.h"
#include "service_unit.h"

namespace kvx::bundle {
namespace {

plist::Value text(const std::string& value) { return plist::Value::string(value); }

plist::Value texts(const std::vector<std::string>& values) {
  plist::Array items;
  for (const std::string& value : values) items.push_back(text(value));
  return plist::Value::array(std::move(items));
}

void addIfGiven(plist::Dictionary& dict, const char* key, const std::optional<std::string>& value) {
  if (value) dict.emplace_back(key, text(*value));
}

plist::Value javaVM(const ConfigurationParts& parts) {
  const BundleOptions& options = parts.options;
  plist::Dictionary vm;
  std::vector<std::string> vmOptions = options.javaOptions;
  if (parts.modules) {
    addModuleKeys(vm, vmOptions, parts.layout, *parts.modules);
  } else {
    vm.emplace_back("MainClass", text(parts.main.mainClass));
    vm.emplace_back("ClassPath", text(options.classPath
                                          ? chosenClassPath(parts.layout, parts.main.mainJar, *options.classPath)
                                          : classPathOf(parts.layout, parts.main.mainJar, parts.jars)));
  }
  if (!vmOptions.empty()) vm.emplace_back("VMOptionArray", texts(vmOptions));
  if (!options.arguments.empty()) vm.emplace_back("ArgumentArray", texts(options.arguments));
  if (options.runtime == RuntimeSource::None) vm.emplace_back("SearchSequence", texts({"EJAVA_HOME", "Y"}));
  addLaunchShapeJavaVMKeys(vm, options, parts.layout);
  return plist::Value::dictionary(std::move(vm));
}

// What the platform shows of the application: its name, identifier,
// version, description, icon.
void addDescription(plist::Dictionary& dict, const ConfigurationParts& parts) {
  const BundleOptions& options = parts.options;
  dict.emplace_back("CFBundleName", text(options.name));
  if (options.type == BundleType::App) {
    dict.emplace_back("CFBundleExecutable", text(options.name));
    dict.emplace_back("CFBundlePackageType", text("APPL"));
    dict.emplace_back("CFBundleInfoDictionaryVersion", text("6.0"));
  }
  addIfGiven(dict, "CFBundleIdentifier", options.identifier);
  addIfGiven(dict, "CFBundleShortVersionString", options.appVersion);
  addIfGiven(dict, "CFBundleVersion", options.appVersion);
  addIfGiven(dict, "CFBundleGetInfoString", options.description);
  addIfGiven(dict, "kvx.vendor", options.vendor);
  addIfGiven(dict, "CFBundleIconFile", parts.iconFile);
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
  dict.emplace_back("CFBundleDocumentTypes", documentTypes(options.fileAssociations, options.name, iconFiles));
}

}  // namespace

std::string classPathOf(const BundleLayout& layout, const std::string& mainJar,
                        const std::vector<std::string>& jars) {
  std::string path = layout.classPathBase + "/" + mainJar;
  for (const std::string& jar : jars) {
    if (jar != mainJar) path += ":" + layout.classPathBase + "/" + jar;
  }
  return path;
}

plist::Value applicationConfiguration(const ConfigurationParts& parts) {
  const BundleOptions& options = parts.options;
  plist::Dictionary dict;
  addDescription(dict, parts);
  addDocumentTypes(dict, options);
  if (options.type == BundleType::Cli) dict.emplace_back("kvx.baseDir", text(".."));
  // A shipped runtime is used whatever its version; the minimum still keeps
  // a runtime named with -jvm= from being one that cannot load the classes,
  // and completes the message shown when no runtime is found.
  dict.emplace_back("kvx.minVersion", text(options.minJava.value_or(parts.main.minimumJava)));
  addIfGiven(dict, "kvx.maxVersion", options.maxJava);
  if (parts.modules) dict.emplace_back("kvx.mainModule", text(parts.modules->mainModule));
  // Applications made here start faster from their second start on.
  if (options.startupCache) dict.emplace_back("kvx.startupCache", plist::Value::boolean(true));
  addLaunchShapeKeys(dict, options);
  // A service's launcher takes its action word and hands it on (run).
  if (options.launcherAsService) dict.emplace_back("kvx.service", text(kSystemdServiceMode));
  dict.emplace_back("JavaVM", javaVM(parts));
  return plist::Value::dictionary(std::move(dict));
}

}  // namespace kvx::bundle
