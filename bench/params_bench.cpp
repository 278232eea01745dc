// Options files and wildcard class paths of the size a large installation
// might carry; both should take well under 10 ms at 10,000 entries and grow
// linearly.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "launcher/launcher.h"

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
  kvx::Launcher launcher{run};
  for (auto _ : state) {
    kvx::StringList options;
    kvx::OptString classPath = launcher.readOptionsFile(path, options, std::nullopt);
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
  kvx::Launcher launcher{run};
  for (auto _ : state) {
    kvx::OptString resolved = launcher.resolveArtifactPath("conf:" + entry);
    benchmark::DoNotOptimize(resolved);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ResolveWildcardDirectory)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
