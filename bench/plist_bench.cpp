// Reading a 64 KiB binary property list, the size of a large configuration.
#include <benchmark/benchmark.h>

#include <string>

#include "plist/plist.h"

namespace {

using kvx::plist::Value;

// Entries shaped like launcher configurations: names, options, numbers,
// flags, nested dictionaries; grown until the document reaches 64 KiB.
std::string document64KiB() {
  kvx::plist::Dictionary entries;
  std::string bytes;
  for (int i = 0; bytes.size() < 64 * 1024; ++i) {
    std::string n = std::to_string(i);
    kvx::plist::Array options;
    for (int k = 0; k < 6; ++k) options.push_back(Value::string("-Dproperty" + n + "." + std::to_string(k) + "=value"));
    entries.emplace_back("application." + n,
                         Value::dictionary({
                             {"MainClass", Value::string("com.example.app" + n + ".Main")},
                             {"VMOptionArray", Value::array(std::move(options))},
                             {"ClassPath", Value::string("$APP_ROOT/lib/app" + n + ".jar:$APP_ROOT/lib/*")},
                             {"Title", Value::string("Caf\xC3\xA9 " + n)},
                             {"Memory", Value::integer(1024 * i)},
                             {"StartOnMainThread", Value::boolean(i % 2 == 0)},
                         }));
    if (i % 8 == 7) bytes = kvx::plist::writeBinary(Value::dictionary(entries));
  }
  return bytes;
}

void BM_ParseBinary64KiB(benchmark::State& state) {
  const std::string bytes = document64KiB();
  std::string error;
  if (!kvx::plist::parse(bytes, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    auto value = kvx::plist::parse(bytes, &error);
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
  state.counters["document_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ParseBinary64KiB)->Unit(benchmark::kMicrosecond);

}  // namespace
