// Replays every input kept in fuzz/regressions/<target>/ through the very
// code of that fuzz target, so that a fault the fuzzer once found stays
// fixed in every build, with or without clang and libFuzzer.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

// Each target defines the same entry point; give each its own name.
#define LLVMFuzzerTestOneInput elfWalkerOneInput
#include "../../fuzz/elf_walker_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput machoWalkerOneInput
#include "../../fuzz/macho_walker_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput plistBinaryOneInput
#include "../../fuzz/plist_binary_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput plistXmlOneInput
#include "../../fuzz/plist_xml_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput stringsFileOneInput
#include "../../fuzz/strings_file_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput versionOrderOneInput
#include "../../fuzz/version_order_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput optionsFileOneInput
#include "../../fuzz/options_file_fuzz.cpp"
#undef LLVMFuzzerTestOneInput

namespace kvx {
namespace {

namespace fs = std::filesystem;

using OneInput = int (*)(const uint8_t*, size_t);

struct Target {
  const char* name;
  OneInput run;
};

void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

const Target kTargets[] = {
    {"elf_walker_fuzz", elfWalkerOneInput},     {"macho_walker_fuzz", machoWalkerOneInput},
    {"plist_binary_fuzz", plistBinaryOneInput}, {"plist_xml_fuzz", plistXmlOneInput},
    {"strings_file_fuzz", stringsFileOneInput}, {"version_order_fuzz", versionOrderOneInput},
    {"options_file_fuzz", optionsFileOneInput},
};

const fs::path kFuzzDir = fs::path(KVX_SOURCE_DIR) / "fuzz";

std::vector<uint8_t> readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzRegressions : public ::testing::TestWithParam<Target> {};

// A target's checks abort on a fault, which ends this test program: the
// failure is then plain in the test log, with the input's name above it.
// Every target keeps inputs (seeds and malformed ones besides the faults
// once found), so a folder that is gone or empty means inputs were lost.
TEST_P(FuzzRegressions, EveryKeptInputPassesItsTarget) {
  const fs::path directory = kFuzzDir / "regressions" / GetParam().name;
  ASSERT_TRUE(fs::is_directory(directory)) << "no inputs kept for " << GetParam().name << " in " << directory;
  size_t replayed = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    if (!entry.is_regular_file()) continue;
    std::vector<uint8_t> bytes = readBytes(entry.path());
    std::cerr << "replaying " << entry.path().string() << "\n";
    EXPECT_EQ(GetParam().run(bytes.data(), bytes.size()), 0) << entry.path();
    ++replayed;
  }
  EXPECT_GT(replayed, 0u) << directory << " holds no input";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressions, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// A target added without a place here, or inputs kept under a misspelt
// name, would silently go unreplayed.
TEST(FuzzRegressionCorpus, EveryTargetAndEveryKeptDirectoryIsReplayed) {
  std::set<std::string> known;
  for (const Target& target : kTargets) known.insert(target.name);
  for (const fs::directory_entry& entry : fs::directory_iterator(kFuzzDir)) {
    const std::string name = entry.path().stem().string();
    if (entry.path().extension() == ".cpp" && name.ends_with("_fuzz")) {
      EXPECT_TRUE(known.count(name)) << "fuzz target " << name << " is not replayed here";
    }
  }
  const fs::path regressions = kFuzzDir / "regressions";
  ASSERT_TRUE(fs::is_directory(regressions)) << regressions;
  for (const fs::directory_entry& entry : fs::directory_iterator(regressions)) {
    if (!entry.is_directory()) continue;
    EXPECT_TRUE(known.count(entry.path().filename().string()))
        << entry.path() << " names no fuzz target";
  }
}

}  // namespace
}  // namespace kvx
