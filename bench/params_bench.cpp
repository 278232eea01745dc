// Options files and wildcard class paths of the size a large installation
// might carry; both should take well under 10 ms at 10,000 entries and grow
// linearly. Then files far past any real one, whose cost must still grow
// linearly: a few seconds at most for 200,000 class path lines or 100,000
// lines naming a variable among 5,000.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "params/java_parameters.h"

namespace {

// One directory for the whole run, removed at exit.
const std::filesystem::path& scratch() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvx-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    std::filesystem::path made = pattern;
    atexit([] { std::filesystem::remove_all(scratch()); });
    return made;
  }();
  return dir;
}

// A file of n lines in the mix a real one has: options, comments, blanks,
// class path edits.
std::string optionsFile(int64_t n) {
  static std::map<int64_t, std::string> made;
  if (auto it = made.find(n); it != made.end()) return it->second;
  std::string path = (scratch() / ("lines" + std::to_string(n) + ".vmoptions")).string();
  std::ofstream out(path, std::ios::binary);
  for (int64_t i = 0; i < n; ++i) {
    switch (i % 8) {
      case 0: out << "# comment " << i << "\n"; break;
      case 1: out << "\n"; break;
      case 2: out << "-classpath/a lib/extra" << i << ".jar\n"; break;
      default: out << "  -Dkvx.bench.property" << i << "=value " << i << "\r\n"; break;
    }
  }
  return made[n] = path;
}

std::string jarDirectory(int64_t n) {
  std::filesystem::path dir = scratch() / ("jars" + std::to_string(n));
  if (!std::filesystem::exists(dir)) {
    std::filesystem::create_directories(dir);
    for (int64_t i = 0; i < n; ++i) {
      std::ofstream(dir / ("library-" + std::to_string(i) + ".jar"));
    }
  }
  return dir.string() + "/*";
}

void BM_ReadOptionsFile(benchmark::State& state) {
  const std::string path = optionsFile(state.range(0));
  kvx::RunState run;
  const kvx::RuntimeChoice noRuntime;
  for (auto _ : state) {
    kvx::StringList options;
    kvx::OptString classPath = kvx::JavaParameters(run, noRuntime).readOptionsFile(path, options, std::nullopt);
    benchmark::DoNotOptimize(classPath);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadOptionsFile)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_ResolveWildcardDirectory(benchmark::State& state) {
  const std::string entry = jarDirectory(state.range(0));
  kvx::RunState run;
  for (auto _ : state) {
    kvx::OptString resolved = kvx::JavaParameters::resolveArtifactPath("conf:" + entry);
    benchmark::DoNotOptimize(resolved);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ResolveWildcardDirectory)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// A file of n lines, line(i) each.
std::string generatedFile(const std::string& name, int64_t n, const std::function<std::string(int64_t)>& line) {
  std::string path = (scratch() / (name + std::to_string(n))).string();
  if (!std::filesystem::exists(path)) {
    std::ofstream out(path, std::ios::binary);
    for (int64_t i = 0; i < n; ++i) out << line(i) << "\n";
  }
  return path;
}

void readOptionsFileRepeatedly(benchmark::State& state, const std::string& path) {
  kvx::RunState run;
  const kvx::RuntimeChoice noRuntime;
  for (auto _ : state) {
    kvx::StringList options;
    kvx::OptString classPath =
        kvx::JavaParameters(run, noRuntime).readOptionsFile(path, options, std::string("start"));
    benchmark::DoNotOptimize(classPath);
  }
  state.SetComplexityN(state.range(0));
}

void BM_ReadOptionsFile_AppendClassPath(benchmark::State& state) {
  readOptionsFileRepeatedly(state, generatedFile("append", state.range(0), [](int64_t i) {
                              return "-classpath/a /opt/app/lib/library-" + std::to_string(i) + ".jar";
                            }));
}
BENCHMARK(BM_ReadOptionsFile_AppendClassPath)
    ->RangeMultiplier(2)
    ->Range(25000, 200000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_ReadOptionsFile_PrependClassPath(benchmark::State& state) {
  readOptionsFileRepeatedly(state, generatedFile("prepend", state.range(0), [](int64_t i) {
                              return "-classpath/p /opt/app/lib/library-" + std::to_string(i) + ".jar";
                            }));
}
BENCHMARK(BM_ReadOptionsFile_PrependClassPath)
    ->RangeMultiplier(2)
    ->Range(25000, 200000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// 5,000 variables in the environment for as long as it lives, after the
// process's own.
class LargeEnvironment {
 public:
  static constexpr int kVariables = 5000;
  LargeEnvironment() {
    for (int i = 0; i < kVariables; ++i) setenv(name(i).c_str(), ("value of variable " + std::to_string(i)).c_str(), 1);
  }
  ~LargeEnvironment() {
    for (int i = 0; i < kVariables; ++i) unsetenv(name(i).c_str());
  }

 private:
  static std::string name(int i) { return "KVX_BENCH_VARIABLE_" + std::to_string(i); }
};

void BM_ReadOptionsFile_VariableAmongMany(benchmark::State& state) {
  LargeEnvironment environment;
  readOptionsFileRepeatedly(state, generatedFile("home", state.range(0), [](int64_t i) {
                              return "-Dkvx.bench.home" + std::to_string(i) + "=${HOME}/.app";
                            }));
}
BENCHMARK(BM_ReadOptionsFile_VariableAmongMany)
    ->RangeMultiplier(2)
    ->Range(12500, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Levels of files that each include the next one twice: 2^levels files are
// read in all, each of them from memory after its first time.
void BM_ReadOptionsFile_IncludeFanOut(benchmark::State& state) {
  const int64_t levels = state.range(0);
  const std::filesystem::path dir = scratch() / ("fanout" + std::to_string(levels));
  std::filesystem::create_directories(dir);
  for (int64_t i = 0; i < levels; ++i) {
    std::ofstream out(dir / ("level" + std::to_string(i)), std::ios::binary);
    const std::string next = "-include-options level" + std::to_string(i + 1) + "\n";
    out << "-Dlevel=" << i << "\n" << next << next;
  }
  std::ofstream(dir / ("level" + std::to_string(levels)), std::ios::binary) << "-Dleaf\n";
  kvx::RunState run;
  const kvx::RuntimeChoice noRuntime;
  for (auto _ : state) {
    kvx::StringList options;
    kvx::JavaParameters(run, noRuntime).readOptionsFile((dir / "level0").string(), options, std::nullopt);
    benchmark::DoNotOptimize(options);
  }
  state.SetComplexityN(int64_t{1} << levels);
}
BENCHMARK(BM_ReadOptionsFile_IncludeFanOut)
    ->DenseRange(12, 18, 2)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
