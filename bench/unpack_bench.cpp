// The unpack step runs at every start on a shipped runtime, twice (its "jre"
// and the home), and almost always finds nothing left to expand: that case
// must cost no more than listing two small directories.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "unpack/unpacker.h"

namespace {

namespace fs = std::filesystem;

// A runtime home shaped like a real one after its first start: lib and
// lib/ext full of already expanded jars and other files.
struct ExpandedRuntime {
  ExpandedRuntime() {
    std::string pattern = (fs::temp_directory_path() / "kvx-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    home = pattern;
    fs::create_directories(home / "lib/ext");
    fs::create_directories(home / "bin");
    for (int i = 0; i < 60; ++i) std::ofstream(home / "lib" / ("file" + std::to_string(i) + ".jar"));
    for (int i = 0; i < 15; ++i) std::ofstream(home / "lib/ext" / ("ext" + std::to_string(i) + ".jar"));
  }
  ~ExpandedRuntime() { fs::remove_all(home); }
  fs::path home;
};

void BM_UnpackNothingLeft(benchmark::State& state) {
  ExpandedRuntime runtime;
  const std::string home = runtime.home.string();
  const std::string jre = (runtime.home / "jre").string();
  for (auto _ : state) {
    bool ok = kvx::Unpacker::unpack(jre) && kvx::Unpacker::unpack(home);
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_UnpackNothingLeft)->Unit(benchmark::kMicrosecond);

}  // namespace
