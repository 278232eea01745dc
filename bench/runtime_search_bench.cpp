// The standard-location search over a large runtime directory: sorting the
// names, and trying candidates until the first acceptable one.
//
// Targets: sorting 1,000 names under 1 ms; each candidate tried under 50 us
// (the "per_candidate" counter); both growing no faster than n log n (the
// fitted complexity of each family).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "image/executable_architectures.h"
#include "discovery/runtime_order.h"
#include "discovery/version_tokens.h"
#include "platform/files.h"
#include "discovery/version_strings.h"
#include "discovery/runtime_search.h"

namespace {

namespace fs = std::filesystem;

// Names in the shapes runtime directories hold, in no particular order.
std::vector<std::string> runtimeNames(int64_t n) {
  const char* shapes[] = {"jdk-%d.0.%d.jdk", "jdk1.8.0_%d%d.jdk", "openjdk-%d.%d.jdk",
                          "zulu-%d.%d.jdk", "jre-%d+%d.jre"};
  std::vector<std::string> names;
  for (int64_t i = 0; i < n; ++i) {
    char buf[64];
    int a = static_cast<int>((i * 7919) % 997), b = static_cast<int>(i % 31);
    snprintf(buf, sizeof buf, shapes[i % 5], a, b);
    names.push_back(buf);
  }
  return names;
}

void BM_SortRuntimeNames(benchmark::State& state) {
  const std::vector<std::string> names = runtimeNames(state.range(0));
  for (auto _ : state) {
    std::vector<std::string> copy = names;
    kvx::version::sortRuntimeNamesNewestFirst(copy);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SortRuntimeNames)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)
    ->Complexity(benchmark::oNLogN)->Unit(benchmark::kMicrosecond);

void writeFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string elfHeaderForThisProcessor() {
  std::string bytes(64, '\0');
  bytes.replace(0, 4, "\x7F" "ELF");
  bytes[4] = 2;
  bytes[5] = 1;
  uint16_t machine = kvx::image::launcherCpuType() == kvx::image::kCpuTypeArm64 ? 183 : 62;
  bytes[18] = static_cast<char>(machine & 0xFF);
  bytes[19] = static_cast<char>(machine >> 8);
  return bytes;
}

// Runtime directories made once for each size, each in a temporary folder of
// its own, all removed at exit.
class DirectoriesBySize {
 public:
  ~DirectoriesBySize() {
    for (const auto& [size, dir] : made_) fs::remove_all(fs::path(dir).parent_path());
  }
  // The directory for n, filled by fill(directory, n) the first time.
  template <typename Fill>
  const std::string& get(int64_t n, Fill fill) {
    auto it = made_.find(n);
    if (it != made_.end()) return it->second;
    std::string root = (fs::temp_directory_path() / "kvx-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) abort();
    std::string jvms = root + "/jvm";
    fill(jvms, n);
    return made_[n] = jvms;
  }

 private:
  std::map<int64_t, std::string> made_;
};

// n bundles jdk-1.jdk ... jdk-n.jdk, each naming its number as its version.
void fillWithBundles(const std::string& jvms, int64_t n) {
  const std::string executable = elfHeaderForThisProcessor();
  for (int64_t i = 1; i <= n; ++i) {
    std::string bundle = jvms + "/jdk-" + std::to_string(i) + ".jdk";
    writeFile(bundle + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleExecutable</key><string>libjli.so</string>"
              "<key>JavaVM</key><dict><key>JVMVersion</key><string>" +
                  std::to_string(i) + ".0.1</string></dict></dict></plist>\n");
    writeFile(bundle + "/Contents/MacOS/libjli.so", executable);
  }
}

const std::string& runtimeDirectory(int64_t n) {
  static DirectoriesBySize directories;
  return directories.get(n, fillWithBundles);
}

// The newest acceptable runtime is the (n/2)th name tried: every name above
// it is refused by the maximum.
void BM_FindPublicJavaBundle(benchmark::State& state) {
  const int64_t n = state.range(0);
  const std::string& jvms = runtimeDirectory(n);
  const int64_t tried = n / 2;
  const std::string max = std::to_string(n - tried + 1);
  const std::string expected = jvms + "/jdk-" + max + ".jdk";
  for (auto _ : state) {
    kvx::RunState run;
    kvx::SearchRoots roots;
    roots.systemRuntimeDirectory = jvms;
    roots.pluginPath = jvms + "/no-plugin";
    kvx::RuntimeSearch search(run, roots);
    search.findPublicJavaBundle(std::nullopt, max, false);
    if (search.candidate().javaBundlePath != expected || !search.acceptedVersion()) {
      state.SkipWithError("the search did not take the expected runtime");
      break;
    }
  }
  state.SetComplexityN(n);
  state.counters["per_candidate"] = benchmark::Counter(
      static_cast<double>(tried), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FindPublicJavaBundle)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)
    ->Complexity(benchmark::oNLogN)->Unit(benchmark::kMillisecond);

// n plain homes named by vendor, every tenth entry a link to the one before
// it, as /usr/lib/jvm holds them.
void fillWithVendorNamedHomes(const std::string& jvms, int64_t n) {
  const char* vendors[] = {"temurin-%d-jdk-amd64", "zulu-%d", "java-%d-openjdk-amd64", "graalvm-jdk-%d"};
  std::string previous;
  for (int64_t i = 1; i <= n; ++i) {
    char name[64];
    snprintf(name, sizeof name, vendors[i % 4], static_cast<int>(i));
    if (i % 10 == 0 && !previous.empty()) {
      fs::create_directories(jvms);
      fs::create_directory_symlink(previous, jvms + "/" + name);
      continue;
    }
    writeFile(jvms + "/" + name + "/release",
              "JAVA_VERSION=\"" + std::to_string((i * 7919) % 997) + ".0." + std::to_string(i % 31) + "\"\n");
    previous = name;
  }
}

const std::string& vendorNamedDirectory(int64_t n) {
  static DirectoriesBySize directories;
  return directories.get(n, fillWithVendorNamedHomes);
}

// Ordering the entries of such a directory by the versions they hold:
// listing it, reading every release file, finding the aliases. Target: 1,000
// entries within 10 ms.
void BM_OrderVendorNamedRuntimes(benchmark::State& state) {
  const std::string& jvms = vendorNamedDirectory(state.range(0));
  for (auto _ : state) {
    std::vector<kvx::platform::DirectoryEntry> listing = kvx::platform::listDirectoryEntries(jvms).value();
    benchmark::DoNotOptimize(kvx::runtimeEntriesNewestFirst(jvms, std::move(listing)));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OrderVendorNamedRuntimes)->Arg(250)->Arg(1000)->Arg(4000)
    ->Complexity(benchmark::oNLogN)->Unit(benchmark::kMillisecond);

}  // namespace
