// The options-file reader with its includes and substitution, over arbitrary
// text. The input is cut at its first NUL bytes into up to four files, f0 to
// f3, of one directory, which may include one another (or anything else they
// name); f0 is read with a few variables of our own in the environment: a
// chain that doubles, a chain that explodes, values that hold "${" or "}".
// A read must end, the same way each time, either in options and a class
// path within the bounds of one pass, or in the configuration error that
// names a runaway variable.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "params/java_parameters.h"
#include "params/options_pass.h"
#include "run/variables.h"

namespace options_file_fuzz {

constexpr size_t kFiles = 4;
// Each include may multiply the work of what it includes; a few reach every
// path of the reader and keep one input fast.
constexpr size_t kMaxIncludes = 6;

// Made at the first input and left until the process ends; never freed, so
// that it outlives everything that runs at exit.
const std::string& directory() {
  static const std::string* made = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvx-fuzz-options-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    auto* dir = new std::string(pattern);
    atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(directory(), ignored);
    });
    return dir;
  }();
  return *made;
}

std::string eightTimes(const std::string& name) {
  std::string text;
  for (int copy = 0; copy < 8; ++copy) text += "${" + name + "}";
  return text;
}

// Set once, in this order, which is the environment's: a variable's value is
// open to the variables set after it only.
void setUpEnvironment() {
  static const bool done = [] {
    setenv("KVX_FUZZ_DOUBLE", "${KVX_FUZZ_HALF}${KVX_FUZZ_HALF}", 1);
    setenv("KVX_FUZZ_NAME", "KVX_FUZZ_HALF", 1);
    setenv("KVX_FUZZ_HALF", "/H:", 1);
    setenv("KVX_FUZZ_OPEN", "${", 1);
    setenv("KVX_FUZZ_CLOSE", "}", 1);
    setenv("KVX_FUZZ_X}Y", "BRACED", 1);
    // ${KVX_FUZZ_BOMB1} is 768 KiB, under the cap for one value;
    // ${KVX_FUZZ_BOMB0} would be 6 MiB, and fails after little work.
    setenv("KVX_FUZZ_BOMB0", eightTimes("KVX_FUZZ_BOMB1").c_str(), 1);
    setenv("KVX_FUZZ_BOMB1", eightTimes("KVX_FUZZ_BIG").c_str(), 1);
    setenv("KVX_FUZZ_BIG", std::string(96 << 10, 'X').c_str(), 1);
    return true;
  }();
  (void)done;
}

void layOutFiles(std::string_view input) {
  for (size_t i = 0; i < kFiles; ++i) {
    const std::string path = directory() + "/f" + std::to_string(i);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    if (input.data() == nullptr) continue;
    const size_t end = i + 1 < kFiles ? input.find('\0') : std::string_view::npos;
    std::ofstream(path, std::ios::binary) << input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  }
}

struct Outcome {
  kvx::StringList options;
  kvx::OptString classPath;
  std::optional<std::string> error;

  bool operator==(const Outcome&) const = default;
};

Outcome readFirstFile() {
  kvx::RunState run;
  run.launcherDirInApp = directory();
  run.appRootDir = directory();
  const kvx::RuntimeChoice noRuntime;
  Outcome outcome;
  try {
    outcome.classPath = kvx::JavaParameters(run, noRuntime)
                            .readOptionsFile(directory() + "/f0", outcome.options, std::string("start"));
  } catch (const kvx::MessageError& e) {
    if (e.key() != "kvx.ConfigurationError" || !e.info1() || !e.info1()->starts_with("the variable ${")) abort();
    outcome.error = e.info1();
  }
  return outcome;
}

// What one pass may hold at most: every byte it took in, once substituted,
// and a class path separator for each line at most.
constexpr size_t kMostOfAPass = 2 * kvx::kOptionTextPerPass + kvx::kMaxSubstitutionGrowthInAll;

void checkBounds(const Outcome& outcome) {
  size_t total = outcome.classPath ? outcome.classPath->size() : 0;
  for (const std::string& option : outcome.options) total += option.size();
  if (total > kMostOfAPass) abort();
}

size_t countOf(std::string_view text, std::string_view word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

}  // namespace options_file_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace options_file_fuzz;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (countOf(input, "include") > kMaxIncludes) return 0;
  setUpEnvironment();
  layOutFiles(input);
  const Outcome first = readFirstFile();
  checkBounds(first);
  // Every pass starts afresh: what one remembered must not leak into the next.
  if (!(readFirstFile() == first)) abort();
  return 0;
}
