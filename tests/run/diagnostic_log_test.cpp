#include "run/diagnostic_log.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

TEST(ShortFunctionName, KeepsTheClassAndTheNameOnly) {
  const struct {
    const char* signature;
    const char* name;
  } cases[] = {
      {"static kvx::OptString kvx::Launcher::getMessage(const std::string&, const OptString&)",
       "Launcher::getMessage"},
      {"kvx::OptString kvx::getMessage(const RunState&, const std::string&)", "getMessage"},
      {"bool kvx::Unpacker::unpack(const std::string&)", "Unpacker::unpack"},
      {"int {anonymous}::runConfiguredRoad(kvx::RunState&)", "runConfiguredRoad"},
      {"std::vector<std::pair<int, int> > kvx::platform::pairs(int)", "pairs"},
      {"int launcher_main(int, char**)", "launcher_main"},
      {"main", "main"},
  };
  for (const auto& c : cases) EXPECT_EQ(shortFunctionName(c.signature), c.name) << c.signature;
}

}  // namespace
}  // namespace kvx
