// Reading the embedded configuration at start-up: finding the note in the
// running image and parsing the stored list. Both together must stay well
// under a millisecond, since every start of a command-line launcher pays them.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "image/elf_walker.h"
#include "entry/entry_points.h"
#include "plist/plist.h"

namespace {

// A configuration of the size real ones have (a few hundred bytes stored).
const char kConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>CFBundleName</key><string>Inventory Manager</string>
  <key>kvx.appId</key><string>1234-5678-9012-3456</string>
  <key>kvx.minVersion</key><string>17</string>
  <key>kvx.maxVersion</key><string>25.99</string>
  <key>kvx.allowPassthrough</key><true/>
  <key>kvx.configFileId</key><string>inventory</string>
  <key>JavaVM</key><dict>
    <key>MainClass</key><string>com.example.inventory.Main</string>
    <key>ClassPath</key><string>${launcher:sys.appRoot}/lib/*:${launcher:sys.appRoot}/extra.jar</string>
    <key>VMOptionArray</key><array><string>-Xmx2g</string><string>-Dfile.encoding=UTF-8</string>
      <string>-XX:+UseG1GC</string><string>--add-opens=java.base/java.lang=ALL-UNNAMED</string></array>
    <key>ArgumentArray</key><array><string>--profile</string><string>production</string></array>
    <key>SearchSequence</key><array><string>bundle</string><string>directory</string><string>registry</string></array>
    <key>WorkingDirectory</key><string>${launcher:sys.appRoot}</string>
  </dict>
</dict></plist>
)";

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The built launcher with kConfig embedded by the built tool, as file bytes.
const std::string& embeddedLauncher() {
  static const std::string bytes = [] {
    const std::string dir = std::filesystem::temp_directory_path() / "kvx-embedded-bench";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/config.plist") << kConfig;
    const std::string command = std::string("'") + KVX_BUILD_DIR + "/kvx-embed' '" KVX_BUILD_DIR
                                "/kvx-launcher' '" + dir + "/config.plist' '" + dir + "/tool'";
    if (system(command.c_str()) != 0) abort();
    std::string file = readAll(dir + "/tool");
    std::filesystem::remove_all(dir);
    return file;
  }();
  return bytes;
}

// The file seen as the loader maps it: the note lies in the first loadable
// segment, whose addresses equal its file offsets.
kvx::image::ElfImageView viewOf(const std::string& file) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  uint64_t tableOffset;
  uint16_t count;
  memcpy(&tableOffset, bytes + 32, 8);
  memcpy(&count, bytes + 56, 2);
  kvx::image::ElfImageView view;
  view.programHeaders = bytes + tableOffset;
  view.programHeaderCount = count;
  view.loadBias = reinterpret_cast<uintptr_t>(bytes);
  view.readableBegin = view.loadBias;
  view.readableEnd = view.loadBias + file.size();
  return view;
}

void BM_FindEmbeddedConfigInThisProcess(benchmark::State& state) {
  for (auto _ : state) {
    const void* data = nullptr;
    benchmark::DoNotOptimize(kvx::findEmbeddedConfig(&data));
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_FindEmbeddedConfigInThisProcess);

void BM_FindAndParseStoredConfiguration(benchmark::State& state) {
  const std::string& file = embeddedLauncher();
  const kvx::image::ElfImageView view = viewOf(file);
  const void* stored = nullptr;
  state.counters["stored_bytes"] = kvx::image::findElfConfigNote(view, &stored) - 4;
  for (auto _ : state) {
    const void* data = nullptr;
    const int size = kvx::image::findElfConfigNote(view, &data);
    if (data == nullptr || size <= 4) abort();
    uint32_t length;
    memcpy(&length, data, 4);
    std::string error;
    auto list = kvx::plist::parse(
        std::string_view(static_cast<const char*>(data) + 4, length), &error);
    if (!list) abort();
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_FindAndParseStoredConfiguration)->Unit(benchmark::kMicrosecond);

}  // namespace
