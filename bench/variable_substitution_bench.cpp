// replaceVariables runs for every configured option, class path entry and
// options-file line: it must stay cheap with a realistic environment.
#include <benchmark/benchmark.h>

#include "launcher/launcher.h"

namespace {

void setUpLauncherPaths(kvx::RunState& run) {
  run.appRootDir = "/Applications/Foo.app/Contents/Resources/app";
  run.mainBundlePath = "/Applications/Foo.app";
  run.launcherDirInApp = "/Applications/Foo.app/Contents/Resources/app";
}

void BM_ReplaceVariables_LauncherAndEnvironment(benchmark::State& state) {
  kvx::RunState run;
  setUpLauncherPaths(run);
  kvx::Launcher launcher{run};
  kvx::OptString text = std::string("-Dapp.home=${launcher:sys.appRootDir}/lib${launcher:sys.pathlistSeparator}${HOME}/.foo");
  for (auto _ : state) benchmark::DoNotOptimize(launcher.replaceVariables(text));
}
BENCHMARK(BM_ReplaceVariables_LauncherAndEnvironment);

void BM_ReplaceVariables_PlainText(benchmark::State& state) {
  kvx::RunState run;
  setUpLauncherPaths(run);
  kvx::Launcher launcher{run};
  kvx::OptString text = std::string("-Xmx512m");
  for (auto _ : state) benchmark::DoNotOptimize(launcher.replaceVariables(text));
}
BENCHMARK(BM_ReplaceVariables_PlainText);

}  // namespace
