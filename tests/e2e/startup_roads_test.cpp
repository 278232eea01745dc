// The roads of a start, on the built launcher: which road an argument vector
// takes, the command-line road of a launcher with an embedded configuration,
// the trace switch, and the embedding tool that makes such launchers.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

const std::string kLauncher = std::string(KVX_BUILD_DIR) + "/kvx-launcher";
const std::string kEmbed = std::string(KVX_BUILD_DIR) + "/kvx-embed";

// A configuration no runtime of the machine satisfies, so that whatever the
// command-line road does later, the run ends without starting a program.
const char kConfigXml[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>CFBundleName</key><string>Tool</string>
  <key>kvx.minVersion</key><string>999</string>
  <key>kvx.maxVersion</key><string>999.1</string>
  <key>JavaVM</key>
  <dict>
    <key>MainClass</key><string>org.example.Main</string>
    <key>VMOptionArray</key><array><string>-Xmx64m</string><string>-Dname=caf&#233;</string></array>
    <key>StartOnMainThread</key><true/>
  </dict>
</dict>
</plist>
)";

RunOptions traced(const std::optional<std::string>& logValue = "yes") {
  RunOptions options;
  // No dialogs: errors go to standard error.
  options.env = {{"KESTROVEL_LOG", logValue}, {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
  return options;
}

bool hasLine(const std::string& text, const std::string& pattern) {
  return std::regex_search(text, std::regex(pattern));
}

// "embedded config <pointer> <size>" as the launcher traced it.
struct EmbeddedTrace {
  bool found = false;
  std::string pointer;
  long size = 0;
};
EmbeddedTrace embeddedTrace(const std::string& err) {
  std::smatch m;
  EmbeddedTrace trace;
  if (std::regex_search(err, m, std::regex(R"(\] embedded config (\S+) (-?\d+)\n)"))) {
    trace = {true, m[1], std::stol(m[2])};
  }
  return trace;
}

std::string copyOf(const std::string& from, const std::string& to) {
  std::filesystem::create_directories(std::filesystem::path(to).parent_path());
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  return to;
}

TEST(Dispatch, OnlyAnExactMarkerInTheFirstArgumentTakesTheWorkspaceRoad) {
  TempDir dir;
  const std::string stub = copyOf(kLauncher, dir / "bin/stub");
  struct Case {
    std::vector<std::string> args;
    const char* road;  // "open", "hidden" or "configured"
  } cases[] = {
      {{}, "configured"},
      {{"__kvx_workspace_open"}, "open"},
      {{"__kvx_workspace_open", "more"}, "open"},
      {{"__kvx_workspace_open_hidden"}, "hidden"},
      {{"app-argument", "__kvx_workspace_open"}, "configured"},
      {{"x__kvx_workspace_open"}, "configured"},
      {{"__kvx_workspace_open "}, "configured"},
      {{"__kvx_workspace_ope"}, "configured"},
      {{"__KVX_WORKSPACE_OPEN"}, "configured"},
      {{"__kvx_workspace_open_hiddenx"}, "configured"},
  };
  for (const Case& c : cases) {
    std::string label = c.args.empty() ? "(no arguments)" : c.args[0];
    ProgramResult run = runProgram(stub, c.args, traced());
    EXPECT_TRUE(hasLine(run.err, "\\] launcher_main " + std::to_string(c.args.size() + 1) + "\n"))
        << label << "\n" << run.err;
    EXPECT_EQ(hasLine(run.err, "\\] workspace open\n"), std::string(c.road) == "open") << label;
    EXPECT_EQ(hasLine(run.err, "\\] workspace open hidden\n"), std::string(c.road) == "hidden") << label;
    EXPECT_EQ(embeddedTrace(run.err).found, std::string(c.road) == "configured") << label;
  }
}

TEST(TraceSwitch, OnlyExactlyYesTurnsTheTraceOn) {
  TempDir dir;
  const std::string stub = copyOf(kLauncher, dir / "stub");
  const std::pair<std::optional<std::string>, bool> cases[] = {
      {"yes", true}, {"YES", false}, {"1", false}, {"yes ", false}, {"", false}, {std::nullopt, false},
  };
  for (const auto& [value, on] : cases) {
    ProgramResult run = runProgram(stub, {}, traced(value));
    EXPECT_EQ(hasLine(run.err, "\\] launcher_main 1\n"), on) << value.value_or("(unset)") << "\n" << run.err;
    if (on) {
      // Each line carries the time, the program name and [pid:tid] before the caller's signature.
      EXPECT_TRUE(hasLine(run.err, R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} stub\[\d+:\d+\] .*launcher_main.* \[Line \d+\] launcher_main 1)"))
          << run.err;
    }
  }
}

// A launcher made by kvx-embed from the built stub, and the place of its note.
class EmbeddedLauncher : public ::testing::Test {
 protected:
  void SetUp() override {
    stub_ = copyOf(kLauncher, dir_ / "stub");
    writeFile(dir_ / "config.plist", kConfigXml);
    tool_ = dir_ / "tool";
    ProgramResult embed = runProgram(kEmbed, {stub_, dir_ / "config.plist", tool_});
    ASSERT_EQ(embed.status, 0) << embed.err;
    bytes_ = readFileOrMissing(tool_);
    // The note's type and owner, as written: "XVK\0" then "com.kestrovel" and three zeros.
    const std::string marker("\x58\x56\x4b\x00" "com.kestrovel\0\0\0", 20);
    size_t at = bytes_.find(marker);
    ASSERT_NE(at, std::string::npos);
    noteHeader_ = at - 8;
    data_ = at + marker.size();
  }

  uint32_t field(size_t offset) const {
    uint32_t v;
    memcpy(&v, bytes_.data() + offset, 4);
    return v;
  }
  // Rewrites the tool with a change to its bytes, keeping its run bits.
  void patch(size_t offset, const std::string& with) {
    std::string changed = bytes_;
    changed.replace(offset, with.size(), with);
    writeFile(tool_, changed);
  }
  static std::string le32(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

  TempDir dir_;
  std::string stub_, tool_, bytes_;
  size_t noteHeader_ = 0, data_ = 0;
};

TEST_F(EmbeddedLauncher, APositionIndependentLauncherFindsItsConfigurationAndTakesTheCommandLineRoad) {
  ASSERT_EQ(bytes_[16], 3) << "the launcher is expected to be a position-independent executable";
  const uint32_t length = field(data_);
  EXPECT_EQ(field(noteHeader_ + 4), length + 4);
  EXPECT_EQ(bytes_.compare(data_ + 4, 8, "bplist00"), 0) << "stored lists are binary";

  ProgramResult run = runProgram(tool_, {"argument"}, traced());
  EmbeddedTrace trace = embeddedTrace(run.err);
  ASSERT_TRUE(trace.found) << run.err;
  EXPECT_NE(trace.pointer, "(nil)");
  EXPECT_EQ(trace.size, static_cast<long>(length) + 4);
  EXPECT_TRUE(hasLine(run.err, "\\] plist length " + std::to_string(length) + "\n")) << run.err;
  EXPECT_FALSE(hasLine(run.err, "Could not load embedded plist")) << run.err;
  EXPECT_EQ(run.status, 1) << run.err;  // no runtime satisfies the configuration
}

// The whole command-line road to the runtime and back, with the sanitizers'
// leak check left on: nothing the road computes may be lost along the way.
TEST_F(EmbeddedLauncher, TheCommandLineRoadReachesTheRuntimeAndEndsWithItsStatus) {
  layOutFakeRuntime(dir_ / "runtime", "17.0.2");
  writeFile(dir_ / "cli.plist", "<plist><dict><key>JavaVM</key><dict>"
                                "<key>MainClass</key><string>Main</string>"
                                "<key>SearchSequence</key><array><string>R" + dir_ / "runtime" +
                                    "</string></array></dict></dict></plist>");
  ASSERT_EQ(runProgram(kEmbed, {stub_, dir_ / "cli.plist", dir_ / "cli"}).status, 0);
  RunOptions options;
  options.env = {{"KVX_FAKE_JLI_RECORD", dir_ / "record"}, {"KVX_FAKE_JLI_EXIT", "7"},
                 {"KESTROVEL_LOG", std::nullopt}};
  ProgramResult run = runProgram(dir_ / "cli", {"a"}, options);
  EXPECT_EQ(run.status, 7) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(recordedValue(recordLines(dir_ / "record"), "fullversion"), "17.0.2");
}

TEST_F(EmbeddedLauncher, AnUnreadableListEndsWithTheFixedMessage) {
  struct Case {
    const char* name;
    size_t offset;
    std::string bytes;
  } cases[] = {
      {"stored length 0", data_, le32(0)},
      {"stored length beyond the note", data_, le32(field(noteHeader_ + 4) - 3)},
      {"stored length far beyond the note", data_, le32(0xfffffff0)},
      {"list that does not parse", data_ + 4, "bplist99garbage"},
  };
  for (const Case& c : cases) {
    patch(c.offset, c.bytes);
    ProgramResult run = runProgram(tool_, {}, traced(std::nullopt));
    EXPECT_EQ(run.status, 1) << c.name;
    // The always-written line, then the fixed text; nothing else is tried.
    EXPECT_TRUE(hasLine(run.err, "\\] Failed to parse plist: ")) << c.name << "\n" << run.err;
    EXPECT_TRUE(run.err.ends_with("ERROR: Could not load embedded plist.\n")) << c.name << "\n" << run.err;
  }
}

TEST_F(EmbeddedLauncher, ANoteOfFourBytesOrLessTakesTheBundleRoad) {
  for (uint32_t size : {4u, 0u}) {
    patch(noteHeader_ + 4, le32(size));
    ProgramResult run = runProgram(tool_, {}, traced());
    EmbeddedTrace trace = embeddedTrace(run.err);
    ASSERT_TRUE(trace.found) << run.err;
    EXPECT_EQ(trace.size, static_cast<long>(size));
    EXPECT_FALSE(hasLine(run.err, "plist length")) << run.err;
    EXPECT_FALSE(hasLine(run.err, "Could not load embedded plist")) << run.err;
  }
}

TEST_F(EmbeddedLauncher, AStubWithoutConfigurationTakesTheBundleRoad) {
  ProgramResult run = runProgram(stub_, {}, traced());
  EmbeddedTrace trace = embeddedTrace(run.err);
  ASSERT_TRUE(trace.found) << run.err;
  EXPECT_EQ(trace.pointer, "(nil)");
  EXPECT_EQ(trace.size, 0);
  EXPECT_FALSE(hasLine(run.err, "plist length")) << run.err;
}

// Python's plistlib reads the stored list independently of our readers, and
// the rest of the reserved region must read as one filler note.
const char kCheckStoredList[] = R"(
import plistlib, struct, sys
data = open(sys.argv[1], 'rb').read()
at = data.index(b'XVK\0com.kestrovel\0\0\0')
namesz, descsz, kind = struct.unpack('<III', data[at - 8:at + 4])
n = struct.unpack('<I', data[at + 20:at + 24])[0]
assert descsz == 4 + n, (descsz, n)
stored = plistlib.loads(data[at + 24:at + 24 + n])
expected = plistlib.load(open(sys.argv[2], 'rb'))
assert stored == expected, (stored, expected)
filler = at - 8 + 28 + (descsz + 3) // 4 * 4
fnamesz, fdescsz, fkind = struct.unpack('<III', data[filler:filler + 12])
assert data[filler + 12:filler + 28] == b'kvx.slot.free\0\0\0', data[filler + 12:filler + 28]
assert fkind == kind and filler + 28 + fdescsz == at - 8 + int(sys.argv[3]), (filler, fdescsz)
)";

TEST_F(EmbeddedLauncher, TheToolStoresTheListAndReplacesAnEarlierOne) {
  const std::string script = dir_ / "check.py";
  writeFile(script, kCheckStoredList);
  // The whole region: the placeholder note of the fresh stub.
  const std::string regionSize = std::to_string(12 + 16 + 65536);
  ProgramResult first = runProgram("/usr/bin/python3", {script, tool_, dir_ / "config.plist", regionSize});
  EXPECT_EQ(first.status, 0) << first.err;

  // A second configuration written over the first, with the tool as the stub.
  writeFile(dir_ / "second.plist",
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleName</key>"
            "<string>Second</string><key>kvx.allowPassthrough</key><true/></dict></plist>");
  ProgramResult embed = runProgram(kEmbed, {tool_, dir_ / "second.plist", dir_ / "second"});
  ASSERT_EQ(embed.status, 0) << embed.err;
  ProgramResult second = runProgram("/usr/bin/python3", {script, dir_ / "second", dir_ / "second.plist", regionSize});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(readFileOrMissing(dir_ / "second").size(), bytes_.size());
}

TEST_F(EmbeddedLauncher, TheToolKeepsTheStubAndItsRunBits) {
  chmod(stub_.c_str(), 0750);
  const std::string before = readFileOrMissing(stub_);
  ProgramResult embed = runProgram(kEmbed, {stub_, dir_ / "config.plist", dir_ / "out"});
  ASSERT_EQ(embed.status, 0) << embed.err;
  EXPECT_EQ(readFileOrMissing(stub_), before);
  struct stat st;
  ASSERT_EQ(stat((dir_ / "out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0750u);
  // Nothing else is left beside the output.
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 4u);  // stub, config.plist, tool, out
}

// Where the file bytes of the last loadable segment of an ELF file end.
uint64_t loadableEnd(const std::string& elf) {
  auto field = [&](size_t at, size_t size) {
    uint64_t value = 0;
    memcpy(&value, elf.data() + at, size);
    return value;
  };
  uint64_t end = 0;
  for (uint64_t i = 0, table = field(32, 8); i < field(56, 2); ++i) {
    const size_t entry = table + i * 56;
    if (field(entry, 4) == 1) end = std::max(end, field(entry + 8, 8) + field(entry + 32, 8));
  }
  return end;
}

TEST_F(EmbeddedLauncher, TheToolRefusesWithTheFileAndTheReason) {
  writeFile(dir_ / "broken.plist", "<plist><dict><key>a</key>");
  writeFile(dir_ / "array.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>");
  writeFile(dir_ / "large.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key><string>" +
                                      std::string(70000, 'x') + "</string></dict></plist>");
  writeFile(dir_ / "text", "#!/bin/sh\necho not a launcher\n");
  const std::string noNote = copyOf(kEmbed, dir_ / "no-note");
  const std::string config = dir_ / "config.plist";
  // Stubs cut short, as a copy that stopped half-way leaves them: their note
  // is whole, but the launcher made from them would crash. The second has no
  // section table and loses only the last byte of its loadable segments, so
  // only they give it away.
  const std::string stubBytes = readFileOrMissing(stub_);
  writeFile(dir_ / "half", stubBytes.substr(0, stubBytes.size() / 2));
  std::string withoutSections = stubBytes;
  withoutSections.replace(40, 8, 8, '\0');  // e_shoff
  withoutSections.replace(58, 6, 6, '\0');  // e_shentsize, e_shnum, e_shstrndx
  writeFile(dir_ / "cut-without-sections", withoutSections.substr(0, loadableEnd(stubBytes) - 1));
  // Section tables whose place or size would wrap around 64 bits.
  std::string wrapping = stubBytes;
  wrapping.replace(40, 8, std::string("\xf0\xff\xff\xff\xff\xff\xff\xff", 8));
  writeFile(dir_ / "wrapping-section-table", wrapping);
  std::string uncountable = stubBytes;
  uint64_t sectionTable = 0;
  memcpy(&sectionTable, stubBytes.data() + 40, 8);
  uncountable.replace(60, 2, 2, '\0');  // the count is then the first entry's size
  uncountable.replace(sectionTable + 32, 8, std::string("\0\0\0\0\0\0\0\x40", 8));
  writeFile(dir_ / "uncountable-sections", uncountable);
  // What never ends or never answers is refused without being read.
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    std::string blamed;
    std::string reason = "";
  } cases[] = {
      {{stub_, dir_ / "broken.plist", dir_ / "o"}, dir_ / "broken.plist"},
      {{stub_, dir_ / "array.plist", dir_ / "o"}, dir_ / "array.plist"},
      {{stub_, dir_ / "large.plist", dir_ / "o"}, dir_ / "large.plist"},
      {{stub_, dir_ / "missing.plist", dir_ / "o"}, dir_ / "missing.plist"},
      {{noNote, config, dir_ / "o"}, noNote},
      {{dir_ / "text", config, dir_ / "o"}, dir_ / "text"},
      {{stub_, config, stub_}, stub_},
      {{stub_, config, dir_ / "no-such-dir/o"}, dir_ / "no-such-dir/o"},
      // Which table or segment the cut reaches first depends on how the stub
      // was built (a sanitized one is laid out otherwise).
      {{dir_ / "half", config, dir_ / "o"}, dir_ / "half", "it is cut short: "},
      {{dir_ / "cut-without-sections", config, dir_ / "o"},
       dir_ / "cut-without-sections",
       "cut short: loadable segment"},
      {{dir_ / "wrapping-section-table", config, dir_ / "o"}, dir_ / "wrapping-section-table", "section header"},
      {{dir_ / "uncountable-sections", config, dir_ / "o"}, dir_ / "uncountable-sections", "section header"},
      {{"/dev/zero", config, dir_ / "o"}, "/dev/zero", "not a regular file"},
      {{stub_, "/dev/zero", dir_ / "o"}, "/dev/zero", "not a regular file"},
      {{dir_ / "fifo", config, dir_ / "o"}, dir_ / "fifo", "not a regular file"},
      {{stub_, dir_ / "fifo", dir_ / "o"}, dir_ / "fifo", "not a regular file"},
  };
  const std::string stubBefore = readFileOrMissing(stub_);
  for (const Case& c : cases) {
    std::vector<std::string> limited = {"20", kEmbed};
    limited.insert(limited.end(), c.args.begin(), c.args.end());
    ProgramResult run = runProgram("/usr/bin/timeout", limited);
    EXPECT_EQ(run.status, 2) << c.blamed << "\n" << run.err;
    EXPECT_TRUE(run.err.starts_with("kvx-embed: " + c.blamed + ": ")) << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "o")) << c.blamed;
  }
  EXPECT_EQ(readFileOrMissing(stub_), stubBefore);
}

std::string cacheValue(const std::string& name) {
  std::smatch m;
  const std::string cache = readFileOrMissing(std::string(KVX_BUILD_DIR) + "/CMakeCache.txt");
  return std::regex_search(cache, m, std::regex("\n" + name + ":[A-Z]+=([^\n]*)")) ? m[1].str() : "";
}

// The static library of every layer, in no particular order: they are linked as a group.
std::vector<std::string> layerArchives() {
  std::vector<std::string> archives;
  for (const auto& entry : std::filesystem::directory_iterator(KVX_BUILD_DIR)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("libkvx_") && name.ends_with(".a")) archives.push_back(entry.path().string());
  }
  return archives;
}

// The note is found from the program headers in every way the launcher can
// be linked: not moved at all, or moved with no dynamic loader to help.
TEST(OtherLinkModes, TheLauncherFindsItsNoteLinkedWithoutPieOrStatically) {
  if (cacheValue("KVX_SANITIZE") == "ON") GTEST_SKIP() << "the library is built for the sanitizers";
  TempDir dir;
  writeFile(dir / "config.plist", kConfigXml);
  for (const std::string mode : {"-no-pie", "-static-pie"}) {
    const std::string stub = dir / ("stub" + mode), tool = dir / ("tool" + mode);
    std::vector<std::string> command = {"-std=c++20", mode, "-I", KVX_SOURCE_DIR "/src",
                                        KVX_SOURCE_DIR "/src/entry/main.cpp", "-Wl,--start-group"};
    for (const std::string& layer : layerArchives()) command.push_back(layer);
    command.insert(command.end(), {"-Wl,--end-group", cacheValue("PUGIXML_STATIC"), "-ldl", "-o", stub});
    ProgramResult link = runProgram("/usr/bin/c++", command);
    ASSERT_EQ(link.status, 0) << mode << "\n" << link.err;
    ProgramResult embed = runProgram(kEmbed, {stub, dir / "config.plist", tool});
    ASSERT_EQ(embed.status, 0) << mode << "\n" << embed.err;
    ProgramResult run = runProgram(tool, {}, traced());
    EmbeddedTrace trace = embeddedTrace(run.err);
    EXPECT_TRUE(trace.found && trace.pointer != "(nil)") << mode << "\n" << run.err;
    EXPECT_TRUE(hasLine(run.err, "\\] plist length \\d+\n")) << mode << "\n" << run.err;
  }
}

TEST(EmbedTool, HelpDescribesTheToolAndWrongUsageIsRefused) {
  ProgramResult help = runProgram(kEmbed, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: kvx-embed [--stub STUB] CONFIG OUTPUT\n"
                                   "       kvx-embed STUB CONFIG OUTPUT\n")) << help.out;
  for (const char* word : {"binary", "dictionary", "too large", "never changed", "renamed", "run bits"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  ProgramResult wrong = runProgram(kEmbed, {"only-one"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_TRUE(wrong.err.starts_with("usage: kvx-embed")) << wrong.err;
}

// Without STUB the tool takes the kvx-launcher beside it (the build tree;
// the installed layout is the install test's), or the one named with --stub;
// alone, it says where it looked.
TEST(EmbedTool, FindsTheStubBesideItselfUnlessOneIsNamed) {
  TempDir dir;
  writeFile(dir / "config.plist", kConfigXml);
  ProgramResult beside = runProgram(kEmbed, {dir / "config.plist", dir / "beside"});
  EXPECT_EQ(beside.status, 0) << beside.err;
  EXPECT_EQ(readFileOrMissing(dir / "beside").size(), readFileOrMissing(kLauncher).size());

  ProgramResult named = runProgram(kEmbed, {"--stub", dir / "no-stub", dir / "config.plist", dir / "named"});
  EXPECT_EQ(named.status, 2);
  EXPECT_EQ(named.err, "kvx-embed: " + dir / "no-stub" + ": cannot be read\n");

  const std::string alone = copyOf(kEmbed, dir / "bin/kvx-embed");
  ProgramResult lost = runProgram(alone, {dir / "config.plist", dir / "lost"});
  EXPECT_EQ(lost.status, 2);
  EXPECT_EQ(lost.err, "kvx-embed: no launcher stub at " + dir / "libexec/kestrovel/kvx-launcher" + " nor at " +
                          dir / "bin/kvx-launcher" + "; name it with --stub\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "lost"));
}

// The names beside path that begin with path's own name and a dot.
std::set<std::string> namesBeside(const std::string& path) {
  const std::filesystem::path at(path);
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(at.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(at.filename().string() + ".")) names.insert(name);
  }
  return names;
}

// Many runs writing one output at once each leave a whole launcher there,
// and nothing beside it.
TEST(EmbedTool, FortyRunsWritingOneOutputAtOnceAllSucceed) {
  TempDir dir;
  writeFile(dir / "config.plist", kConfigXml);
  ASSERT_EQ(runProgram(kEmbed, {kLauncher, dir / "config.plist", dir / "expected"}).status, 0);
  std::vector<std::unique_ptr<RunningProgram>> runs;
  for (int i = 0; i < 40; ++i) {
    const std::vector<std::string> args = {"60", kEmbed, kLauncher, dir / "config.plist", dir / "out"};
    runs.push_back(std::make_unique<RunningProgram>("/usr/bin/timeout", args));
  }
  for (auto& run : runs) {
    ProgramResult result = run->wait();
    EXPECT_EQ(result.status, 0) << result.err;
  }
  EXPECT_TRUE(readFileOrMissing(dir / "out") == readFileOrMissing(dir / "expected"));
  EXPECT_EQ(namesBeside(dir / "out"), std::set<std::string>{});
}

// A run stopped half-way keeps its temporary file from the runs after it
// while it lives; once it is killed, the next run takes the file away. Names
// that only look alike are never touched.
TEST(EmbedTool, TheNextRunRemovesWhatAKilledRunLeftAndNothingElse) {
  TempDir dir;
  writeFile(dir / "config.plist", kConfigXml);
  // A stub with a long tail, so that the copy takes long enough to be caught.
  writeFile(dir / "stub", readFileOrMissing(kLauncher) + std::string(96 << 20, '\0'));
  chmod((dir / "stub").c_str(), 0755);
  const std::string out = dir / "out";
  const std::set<std::string> lookAlikes = {"out.kvx-partial-Ab12Cd7", "out.kvx-partial-Ab_2Cd",
                                            "out.Ab12Cd"};
  for (const std::string& name : lookAlikes) writeFile(dir / name, "not a leftover");
  writeFile(dir / "other.kvx-partial-Ab12Cd", "another output's");

  RunningProgram stopped(kEmbed, {dir / "stub", dir / "config.plist", out});
  std::string partial;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (partial.empty() && std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : namesBeside(out)) {
      std::error_code none;
      if (!lookAlikes.contains(name) && std::filesystem::file_size(dir / name, none) > 0) partial = name;
    }
  }
  ASSERT_FALSE(partial.empty()) << "the run was never caught writing";
  kill(stopped.pid(), SIGSTOP);
  ASSERT_TRUE(std::filesystem::exists(dir / partial)) << "the run finished before it was stopped";
  EXPECT_TRUE(partial.starts_with("out.kvx-partial-")) << partial;

  ProgramResult whileStopped = runProgram(kEmbed, {kLauncher, dir / "config.plist", out});
  EXPECT_EQ(whileStopped.status, 0) << whileStopped.err;
  EXPECT_TRUE(std::filesystem::exists(dir / partial)) << "the file of a living run was taken away";

  kill(stopped.pid(), SIGKILL);
  EXPECT_EQ(stopped.wait().status, 128 + SIGKILL);
  ProgramResult afterKill = runProgram(kEmbed, {kLauncher, dir / "config.plist", out});
  EXPECT_EQ(afterKill.status, 0) << afterKill.err;
  EXPECT_EQ(namesBeside(out), lookAlikes);
  for (const std::string& name : lookAlikes) {
    EXPECT_EQ(readFileOrMissing(dir / name), "not a leftover") << name;
  }
  EXPECT_EQ(readFileOrMissing(dir / "other.kvx-partial-Ab12Cd"), "another output's");
}

// Running out of memory is one more refusal with one line, not an abort.
TEST(EmbedTool, RunningOutOfMemoryIsRefusedWithOneLine) {
  if (cacheValue("KVX_SANITIZE") == "ON") {
    GTEST_SKIP() << "the sanitizers need more address space than this leaves";
  }
  TempDir dir;
  writeFile(dir / "config.plist", kConfigXml);
  // Within the size a stub may have, and more than the address space allows.
  writeFile(dir / "large", "");
  std::filesystem::resize_file(dir / "large", 200 << 20);
  ProgramResult run = runProgram("/bin/sh", {"-c", "ulimit -v 150000 && exec \"$@\"", "sh", kEmbed,
                                             dir / "large", dir / "config.plist", dir / "out"});
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(run.err, "kvx-embed: not enough memory to hold the stub and the configuration\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

}  // namespace
}  // namespace kvx::test
