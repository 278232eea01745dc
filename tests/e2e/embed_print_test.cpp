// kvx-embed reads back what a command-line launcher carries: the property
// list it prints must be the one embedded, as Python's plistlib reads both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

const std::string kEmbed = KVX_BUILD_DIR "/kvx-embed";

// Writes a configuration of every value type with plistlib, embeds it, prints
// it back, and has plistlib compare the two.
const char kRoundTrip[] = R"(
import plistlib, subprocess, sys, datetime
embed, work = sys.argv[1], sys.argv[2]
config = {"CFBundleName": "Caf\u00e9 \u2603", "kvx.startupCache": True, "Count": 42, "Ratio": 0.5,
          "When": datetime.datetime(2026, 12, 10, 12, 0, 0), "Blob": b"\x00\xffbytes",
          "JavaVM": {"MainClass": "app.Main", "VMOptionArray": ["-Xmx1g", "-Dk=${HOME}"]}}
with open(work + "/config.plist", "wb") as out:
    plistlib.dump(config, out, fmt=plistlib.FMT_BINARY)
subprocess.run([embed, work + "/config.plist", work + "/launcher"], check=True)
printed = subprocess.run([embed, "--print", work + "/launcher"], check=True, capture_output=True).stdout
assert plistlib.loads(printed) == config, plistlib.loads(printed)
print("same")
)";

TEST(EmbedPrint, PrintsWhatTheLauncherCarriesAsPlistlibReadsIt) {
  TempDir dir;
  writeFile(dir / "round_trip.py", kRoundTrip);
  ProgramResult result = runProgram("/usr/bin/python3", {dir / "round_trip.py", kEmbed, dir.path()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "same\n");
}

TEST(EmbedPrint, RefusesWhatCarriesNoConfigurationInOneLine) {
  TempDir dir;
  writeFile(dir / "text", "not a launcher");
  const struct {
    std::string file;
    std::string message;
  } cases[] = {
      {KVX_BUILD_DIR "/kvx-launcher", "kvx-embed: " KVX_BUILD_DIR "/kvx-launcher: carries no configuration (the plain stub)\n"},
      {dir / "text", "kvx-embed: " + dir / "text" + ": not a 64-bit little-endian ELF file\n"},
      {dir / "missing", "kvx-embed: " + dir / "missing" + ": cannot be read\n"},
  };
  for (const auto& c : cases) {
    ProgramResult result = runProgram(kEmbed, {"--print", c.file});
    EXPECT_EQ(result.status, 2) << c.file;
    EXPECT_EQ(result.out, "") << c.file;
    EXPECT_EQ(result.err, c.message) << c.file;
  }
  ProgramResult version = runProgram(kEmbed, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("kvx-embed ")) << version.out;
}

}  // namespace
}  // namespace kvx::test
