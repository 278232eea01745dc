// An installation laid out in a temporary directory, and the runtime search
// run over it: Foo.app with its application root, and a system runtime
// directory of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "discovery/runtime_search.h"
#include "test_support/app_bundle.h"
#include "test_support/temp_dir.h"

namespace kvx::test {

class RuntimeChoice : public ::testing::Test {
 protected:
  RuntimeChoice() {
    run.mainBundlePath = app;
    run.launcherDirAndName = dir / "Foo";
    run.appRootDir = appRoot;
    run.launcherDirInApp = appRoot;
    roots.systemRuntimeDirectory = dir / "jvm";
    roots.pluginPath = dir / "no-plugin";
    std::filesystem::create_directories(dir / "jvm");
  }

  // The configuration: top-level entries and the "JavaVM" dictionary.
  void configure(plist::Dictionary javaVM, plist::Dictionary topLevel = {}) {
    topLevel.emplace_back("JavaVM", dict(std::move(javaVM)));
    configuration = dict(std::move(topLevel));
    run.infoDictionary = &configuration;
  }

  std::string choose() {
    chosen = RuntimeSearch(run, roots).findJavaBundle();
    return chosen ? chosen->javaBundlePath.value_or("<no path>") : "<none>";
  }

  // What JLI_Launch is handed for the chosen runtime.
  std::string version() const { return chosen ? chosen->launchVersion : "(null)"; }

  TempDir dir;
  std::string app = dir / "Foo.app";
  std::string appRoot = dir / "Foo.app/Contents/Resources/app";
  plist::Value configuration;
  RunState run;
  SearchRoots roots;
  std::optional<kvx::RuntimeChoice> chosen;
};

}  // namespace kvx::test
