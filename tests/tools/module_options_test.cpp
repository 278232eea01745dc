// A modular application's options, its declaration as kvx-bundle reads it,
// and the modules the runtime will resolve from its module path.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bundle/bundle_options.h"
#include "bundle/module_info.h"
#include "bundle/module_path.h"
#include "test_support/bundle_arguments.h"

namespace kvx::bundle {
namespace {

using Args = std::vector<std::string>;

using test::withRequired;

TEST(ModuleOptions, ThePathRepeatsAndSplitsAtColons) {
  std::string error;
  std::optional<BundleOptions> o = parseBundleOptions(
      withRequired({"--module", "hello.app/hello.Main", "--module-path", "mods::/opt/fx/lib", "--module-path=more"}),
      &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->module, "hello.app/hello.Main");
  EXPECT_EQ(modulePathEntries(o->modulePath), (Args{"mods", "/opt/fx/lib", "more"}));
}

TEST(ModuleOptions, EachRefusalIsOneLineNamingTheOption) {
  struct Case {
    Args args;
    const char* error;
  } cases[] = {
      {withRequired({"--module", "m", "--main-jar", "app.jar"}),
       "--module and --main-jar exclude each other: a modular application starts from its module"},
      {withRequired({"--module", "m", "--main-class", "a.Main"}),
       "--module and --main-class exclude each other: name the class as --module m/CLASS"},
      {withRequired({"--module", "m", "--add-launcher", "tool=tool.properties"}),
       "--add-launcher does not go with --module yet: a further launcher starts a main class from the class path"},
      {withRequired({"--module-path", "mods"}),
       "--module-path goes only with --module, which names the module that starts"},
      {withRequired({"--module", "m/"}), "--module \"m/\": a module name, or NAME/CLASS (hello.app or hello.app/hello.Main)"},
      {withRequired({"--module", "/a.Main"}),
       "--module \"/a.Main\": a module name, or NAME/CLASS (hello.app or hello.app/hello.Main)"},
      {withRequired({"--module", "m/a/b"}),
       "--module \"m/a/b\": a module name, or NAME/CLASS (hello.app or hello.app/hello.Main)"},
      {withRequired({"--module", ""}), "--module \"\": a module name, or NAME/CLASS (hello.app or hello.app/hello.Main)"},
      {withRequired({"--module", "m", "--module", "n"}), "--module is given twice"},
  };
  for (const Case& c : cases) test::expectRefused(c.args, c.error);
}

std::string fixture() {
  std::ifstream in(KVX_SOURCE_DIR "/tests/fixtures/modules/module-info.class", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(ModuleInfo, ReadsTheNameTheMainClassAndWhatItRequires) {
  std::string bytes = fixture();
  ASSERT_FALSE(bytes.empty());
  std::optional<ModuleInfo> info = readModuleInfo(bytes);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->name, "hello.mod");
  EXPECT_EQ(info->mainClass, "hello.mod.Main");
  EXPECT_EQ(info->requiredModules, (Args{"java.base", "java.logging"}));
  EXPECT_EQ(info->classFileMajor, 61);
}

// A file cut short anywhere is no declaration, never a read past its end.
TEST(ModuleInfo, AFileCutShortAnywhereDeclaresNothing) {
  std::string bytes = fixture();
  for (size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(readModuleInfo(std::string_view(bytes).substr(0, length))) << length;
  }
  std::string ordinaryClass = bytes;
  ordinaryClass[0] = '\0';
  EXPECT_FALSE(readModuleInfo(ordinaryClass));
}

TEST(ModulePath, AutomaticNamesAreTheManifestsOrTheFileNamesWithoutVersion) {
  struct Case {
    std::string file;
    std::optional<std::string> manifest;
    std::string name;
  } cases[] = {
      {"commons-lang3-3.12.0.jar", std::nullopt, "commons.lang3"},
      {"foo-bar.jar", std::nullopt, "foo.bar"},
      {"guava-31.1-jre.jar", std::nullopt, "guava"},
      {"_x__y-.jar", std::nullopt, "x.y"},
      {"anything-1.0.jar", "com.example.lib", "com.example.lib"},
  };
  for (const Case& c : cases) EXPECT_EQ(automaticModuleName(c.file, c.manifest), c.name) << c.file;
}

ModuleFile module(std::string name, bool isExplicit, Args required = {}) {
  ModuleFile file;
  file.name = std::move(name);
  file.isExplicit = isExplicit;
  file.requiredModules = std::move(required);
  return file;
}

std::vector<std::string> namesOf(const std::vector<ModuleFile>& modules) {
  std::vector<std::string> names;
  for (const ModuleFile& m : modules) names.push_back(m.name);
  return names;
}

// What decides which of JavaFX's libraries come along: a module nobody
// requires (javafx.web) stays out, unless an automatic module is reached.
TEST(ModulePath, TheRuntimeResolvesWhatTheMainModuleRequires) {
  std::vector<ModuleFile> modules = {
      module("javafx.base", true, {"java.base"}),
      module("javafx.graphics", true, {"javafx.base", "java.desktop"}),
      module("javafx.controls", true, {"javafx.graphics"}),
      module("javafx.web", true, {"javafx.controls", "jdk.jsobject"}),
      module("app", true, {"javafx.controls"}),
      module("tool", true, {"lib.auto"}),
      module("lib.auto", false),
      module("other.auto", false),
  };
  EXPECT_EQ(namesOf(resolvedModules(modules, "app")), (Args{"javafx.base", "javafx.graphics", "javafx.controls", "app"}));
  EXPECT_EQ(namesOf(resolvedModules(modules, "tool")), (Args{"tool", "lib.auto", "other.auto"}));
  EXPECT_EQ(namesOf(resolvedModules(modules, "absent")), Args{});
}

}  // namespace
}  // namespace kvx::bundle
