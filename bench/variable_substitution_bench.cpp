// replaceVariables runs for every configured option, class path entry and
// options-file line: it must stay cheap with a realistic environment.
#include <benchmark/benchmark.h>

#include "launcher/launcher.h"

namespace {

void setUpLauncherPaths() {
  kvx::s_appRootDir = "/Applications/Foo.app/Contents/Resources/app";
  kvx::s_mainBundlePath = "/Applications/Foo.app";
  kvx::s_launcherDirInApp = "/Applications/Foo.app/Contents/Resources/app";
}

void BM_ReplaceVariables_LauncherAndEnvironment(benchmark::State& state) {
  setUpLauncherPaths();
  kvx::Launcher launcher;
  kvx::OptString text = std::string("-Dapp.home=${launcher:sys.appRootDir}/lib${launcher:sys.pathlistSeparator}${HOME}/.foo");
  for (auto _ : state) benchmark::DoNotOptimize(launcher.replaceVariables(text));
}
BENCHMARK(BM_ReplaceVariables_LauncherAndEnvironment);

void BM_ReplaceVariables_PlainText(benchmark::State& state) {
  setUpLauncherPaths();
  kvx::Launcher launcher;
  kvx::OptString text = std::string("-Xmx512m");
  for (auto _ : state) benchmark::DoNotOptimize(launcher.replaceVariables(text));
}
BENCHMARK(BM_ReplaceVariables_PlainText);

}  // namespace
