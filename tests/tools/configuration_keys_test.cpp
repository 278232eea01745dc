// What kvx-bundle writes is what the launcher reads: every key of every
// configuration it makes is in the shared key table, at the key's place and
// with the key's type.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "bundle/added_launcher_configuration.h"
#include "bundle/app_configuration.h"
#include "app_format/config_keys.h"
#include "bundle/bundle_layout.h"

namespace kvx::bundle {
namespace {

const config::Key* tableKey(const std::string& name) {
  for (const config::Key& key : config::kAllKeys) {
    if (key.name == name) return &key;
  }
  return nullptr;
}

bool hasType(const plist::Value& value, config::Type type) {
  switch (type) {
    case config::String: return value.isString();
    case config::Boolean: return value.type() == plist::Type::Boolean;
    case config::StringArray:
      if (!value.isArray()) return false;
      for (const plist::Value& item : value.items()) {
        if (!item.isString()) return false;
      }
      return true;
    case config::Array: return value.isArray();
    case config::Dictionary: return value.isDictionary();
  }
  return false;
}

// Every entry of dictionary (the top level or JavaVM) against the table;
// the names of those checked are added to seen.
void expectTableEntries(const plist::Value& dictionary, config::Place place, std::set<std::string>& seen) {
  for (const auto& [name, value] : dictionary.entries()) {
    const config::Key* key = tableKey(name);
    if (key == nullptr) {
      ADD_FAILURE() << "kvx-bundle writes " << name << ", which the key table lacks";
      continue;
    }
    EXPECT_EQ(key->place, place) << name;
    EXPECT_TRUE(hasType(value, key->type)) << name << " is " << plist::describe(&value);
    seen.insert(name);
    if (key->type == config::Dictionary) expectTableEntries(value, config::JavaVM, seen);
  }
}

BundleOptions everyKeyOptions(BundleType type) {
  BundleOptions options;
  options.type = type;
  options.name = "Hello";
  options.identifier = "com.example.hello";
  options.appVersion = "1.2";
  options.description = "Says hello";
  options.vendor = "Example";
  options.maxJava = "25";
  options.javaOptions = {"-Xmx1g"};
  options.defaultArguments = {"--greet"};
  options.allowPassthrough = true;
  options.splash = "splash.png";
  options.runtime = RuntimeSource::None;
  options.fileAssociations = {{"greet.properties", {"greet"}, "application/x-greeting", "Greeting", std::nullopt}};
  return options;
}

TEST(ConfigurationKeys, EveryKeyKvxBundleWritesIsInTheTableAtItsPlaceWithItsType) {
  std::set<std::string> seen;
  MainClassChoice main{"com.example.Main", "app.jar", "17"};
  std::vector<std::string> jars = {"app.jar"};
  for (BundleType type : {BundleType::App, BundleType::Cli}) {
    BundleOptions options = everyKeyOptions(type);
    BundleLayout layout = layoutFor(type, options.name);
    ConfigurationParts parts{options, layout, main, jars, std::string("Hello.png")};
    expectTableEntries(applicationConfiguration(parts), config::TopLevel, seen);
    AddedLauncher added{"extra", "extra.properties", "com.example.Extra", std::nullopt, std::vector<std::string>{"x"},
                        std::nullopt, std::nullopt, std::nullopt};
    expectTableEntries(addedLauncherConfiguration(parts, added, main), config::TopLevel, seen);

    options.workingDir = "work";
    options.launcherAsService = type == BundleType::Cli;
    ModuleFile module{.path = "mods/app.jar", .inInput = std::nullopt, .name = "app.mod", .isExplicit = false,
                      .mainClass = std::nullopt, .requiredModules = {}, .classFileMajor = 0};
    ModulePlan modules{.mainModule = "app.mod/app.Main", .mainClass = "app.Main", .modules = {module}, .linked = false,
                       .classPathJars = {"lib.jar"}, .minimumJava = "17", .javafx = std::nullopt};
    ConfigurationParts modular{options, layout, main, jars, std::nullopt, &modules};
    expectTableEntries(applicationConfiguration(modular), config::TopLevel, seen);
  }
  // The options above reach these keys; a writer that stops writing one
  // would leave this test checking less than it says.
  for (const char* name : {"kvx.inSingleBundle", "kvx.mainModule", "ModulePath", "WorkingDirectory", "kvx.service",
                           "CFBundleDocumentTypes", "SplashFile", "SearchSequence", "kvx.argumentsOnlyWhenNone"}) {
    EXPECT_TRUE(seen.contains(name)) << name;
  }
}

}  // namespace
}  // namespace kvx::bundle
