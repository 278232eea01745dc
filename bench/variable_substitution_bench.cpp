// replaceVariables runs for every configured option, class path entry and
// options-file line: it must stay cheap with a realistic environment.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "run/variables.h"

namespace {

void setUpLauncherPaths(kvx::RunState& run) {
  run.appRootDir = "/Applications/Foo.app/Contents/Resources/app";
  run.mainBundlePath = "/Applications/Foo.app";
  run.launcherDirInApp = "/Applications/Foo.app/Contents/Resources/app";
}

void BM_ReplaceVariables_LauncherAndEnvironment(benchmark::State& state) {
  kvx::RunState run;
  setUpLauncherPaths(run);
  kvx::OptString text = std::string("-Dapp.home=${launcher:sys.appRootDir}/lib${launcher:sys.pathlistSeparator}${HOME}/.foo");
  for (auto _ : state) benchmark::DoNotOptimize(kvx::replaceVariables(run, std::nullopt, text));
}
BENCHMARK(BM_ReplaceVariables_LauncherAndEnvironment);

void BM_ReplaceVariables_PlainText(benchmark::State& state) {
  kvx::RunState run;
  setUpLauncherPaths(run);
  kvx::OptString text = std::string("-Xmx512m");
  for (auto _ : state) benchmark::DoNotOptimize(kvx::replaceVariables(run, std::nullopt, text));
}
BENCHMARK(BM_ReplaceVariables_PlainText);

// One value on its own, with 5,000 variables in the environment: the
// environment is read once for the call.
void BM_ReplaceVariables_VariableAmongMany(benchmark::State& state) {
  auto name = [](int i) { return "KVX_BENCH_VARIABLE_" + std::to_string(i); };
  for (int i = 0; i < 5000; ++i) setenv(name(i).c_str(), ("value of variable " + std::to_string(i)).c_str(), 1);
  kvx::RunState run;
  setUpLauncherPaths(run);
  kvx::OptString text = std::string("-Dapp.home=${HOME}/.foo");
  for (auto _ : state) benchmark::DoNotOptimize(kvx::replaceVariables(run, std::nullopt, text));
  for (int i = 0; i < 5000; ++i) unsetenv(name(i).c_str());
}
BENCHMARK(BM_ReplaceVariables_VariableAmongMany)->Unit(benchmark::kMicrosecond);

}  // namespace
