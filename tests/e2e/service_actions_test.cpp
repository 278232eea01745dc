// Command-line launchers made with kvx-embed, run with service action words.
// The application is a small Java program on a real runtime that writes down
// how it was started.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support/run_program.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

const std::string kJdk = "/usr/lib/jvm/java-17-openjdk-amd64";

const char* const kProbeSource = R"(
import java.nio.file.*;
import java.util.*;

public class ServiceProbe {
  static String link(String path) {
    try { return Files.readSymbolicLink(Paths.get(path)).toString(); } catch (Exception e) { return "?"; }
  }
  public static void main(String[] args) throws Exception {
    Path record = Paths.get(System.getProperty("probe.record"));
    List<String> lines = new ArrayList<>();
    lines.add("pid=" + ProcessHandle.current().pid());
    lines.add("cwd=" + Paths.get("").toAbsolutePath());
    for (int fd = 0; fd <= 2; fd++) lines.add("fd" + fd + "=" + link("/proc/self/fd/" + fd));
    lines.add("service=" + System.getProperty("kvx.service"));
    lines.add("module=" + System.getProperty("torqa.moduleName"));
    for (String arg : args) lines.add("arg=" + arg);
    Path part = Paths.get(record + ".part");
    Files.write(part, lines);
    Files.move(part, record, StandardCopyOption.ATOMIC_MOVE);
    Thread.sleep(Long.getLong("probe.linger", 0L));
  }
}
)";

// The record as key → values, in order ("arg" may repeat).
std::multimap<std::string, std::string> parseRecord(const std::string& text) {
  std::multimap<std::string, std::string> record;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) record.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return record;
}

std::string one(const std::multimap<std::string, std::string>& record, const std::string& key) {
  auto it = record.find(key);
  return it == record.end() ? "<none>" : it->second;
}

std::vector<std::string> all(const std::multimap<std::string, std::string>& record,
                             const std::string& key) {
  std::vector<std::string> values;
  auto [first, last] = record.equal_range(key);
  for (auto it = first; it != last; ++it) values.push_back(it->second);
  return values;
}

// Untraced; under AddressSanitizer a process that starts a real virtual
// machine must leave SIGSEGV to it and skip the leak check.
RunOptions launcherOptions(std::optional<std::string> argv0 = std::nullopt) {
  return RunOptions{
      std::move(argv0),
      {{"KESTROVEL_LOG", std::nullopt}, {"ASAN_OPTIONS", "detect_leaks=0:handle_segv=0"}}};
}

bool waitForFile(const std::string& path, int milliseconds) {
  for (int waited = 0; !fs::exists(path) && waited < milliseconds; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return fs::exists(path);
}

class ServiceActions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    probeDir = std::make_unique<TempDir>();
    writeFile(*probeDir / "ServiceProbe.java", kProbeSource);
    ProgramResult javac = runProgram(
        kJdk + "/bin/javac", {"-d", *probeDir / "classes", *probeDir / "ServiceProbe.java"});
    ASSERT_EQ(javac.status, 0) << javac.err;
  }
  static void TearDownTestSuite() { probeDir.reset(); }

  // A command-line launcher at path whose configuration holds "kvx.service"
  // as the given property-list element (none when empty).
  void makeLauncher(const std::string& path, const std::string& serviceElement, int lingerMs = 0) {
    std::string service = serviceElement.empty() ? "" : "<key>kvx.service</key>" + serviceElement;
    std::string javaVM = "<key>MainClass</key><string>ServiceProbe</string>";
    javaVM += "<key>ClassPath</key><string>" + *probeDir / "classes" + "</string>";
    javaVM += "<key>SearchSequence</key><array><string>R" + kJdk + "</string></array>";
    javaVM += "<key>VMOptionArray</key><array><string>-Dprobe.record=" + record + "</string>";
    javaVM += "<string>-Dprobe.linger=" + std::to_string(lingerMs) + "</string></array>";
    writeFile(dir / "config.plist", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
                                        std::string("<plist version=\"1.0\"><dict>") + service +
                                        "<key>JavaVM</key><dict>" + javaVM +
                                        "</dict></dict></plist>\n");
    fs::create_directories(fs::path(path).parent_path());
    ProgramResult embed = runProgram(KVX_BUILD_DIR "/kvx-embed",
                                     {KVX_BUILD_DIR "/kvx-launcher", dir / "config.plist", path});
    ASSERT_EQ(embed.status, 0) << embed.err;
  }

  ProgramResult run(const std::string& path, const std::vector<std::string>& args,
                    std::optional<std::string> argv0 = std::nullopt) {
    fs::remove(record);
    return runProgram(path, args, launcherOptions(argv0));
  }

  static std::unique_ptr<TempDir> probeDir;
  TempDir dir;
  std::string record = dir / "record";
  std::string launcher = dir / "bin/svc";
};

std::unique_ptr<TempDir> ServiceActions::probeDir;

constexpr const char* kLegacyUsage = "Usage: svc {start|stop|run|run-redirect|status}\n";
constexpr const char* kOtherUsage = "Usage: svc {start|stop|run|run-redirect}\n";

TEST_F(ServiceActions, EachWordIsAcceptedOrRefusedByItsMode) {
  struct Case {
    std::string serviceElement;
    std::vector<std::string> args;
    std::string out;  // exactly what standard output receives
    bool usage;       // refused: status 1, no application
    std::string serviceProperty;
  };
  const std::string legacy = "<string>legacy</string>";
  const std::string daemon = "<string>daemon</string>";
  const Case cases[] = {
      {legacy, {"stop"}, "Shutting down svc\n", false, "legacy"},
      {legacy, {"run", "x"}, "", false, "legacy"},
      {legacy, {"run-redirect"}, "", false, "legacy"},
      {legacy, {"status"}, "", false, "legacy"},
      {legacy, {"start-launchd"}, "", false, "legacy"},
      {legacy, {"START"}, kLegacyUsage, true, ""},
      {legacy, {"restart"}, kLegacyUsage, true, ""},
      {legacy, {}, kLegacyUsage, true, ""},
      // Another mode prints nothing for start and stop, and does not detach.
      {daemon, {"start"}, "", false, "daemon"},
      {daemon, {"stop"}, "", false, "daemon"},
      {daemon, {"run"}, "", false, "daemon"},
      {daemon, {"run-redirect"}, "", false, "daemon"},
      {daemon, {"start-launchd"}, "", false, "daemon"},
      {daemon, {"status"}, kOtherUsage, true, ""},
      {daemon, {"Stop"}, kOtherUsage, true, ""},
      {daemon, {}, kOtherUsage, true, ""},
      // A mode that is not a string is no mode: no word is needed.
      {"<integer>1</integer>", {}, "", false, "null"},
      {"<array><string>legacy</string></array>", {"anything"}, "", false, "null"},
      {"", {}, "", false, "null"},
  };
  std::string lastService = "?";
  for (const Case& c : cases) {
    std::string words;
    for (const std::string& arg : c.args) words += " " + arg;
    SCOPED_TRACE(c.serviceElement + words);
    if (c.serviceElement != lastService) {
      makeLauncher(launcher, c.serviceElement);
      lastService = c.serviceElement;
    }
    RunningProgram running(launcher, c.args, launcherOptions());
    pid_t pid = running.pid();
    ProgramResult result = running.wait();
    EXPECT_EQ(result.out, c.out);
    if (c.usage) {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.err, "");
      EXPECT_FALSE(fs::exists(record)) << "the application was launched";
      continue;
    }
    EXPECT_EQ(result.status, 0) << result.err;
    auto probe = parseRecord(readFileOrMissing(record));
    EXPECT_EQ(all(probe, "arg"), c.args);
    EXPECT_EQ(one(probe, "service"), c.serviceProperty);
    EXPECT_EQ(one(probe, "pid"), std::to_string(pid)) << "the launcher detached";
    fs::remove(record);
  }
}

// The session of a process, from /proc/<pid>/stat (after the name in brackets).
std::string sessionOf(const std::string& pid) {
  std::string stat = readFileOrMissing("/proc/" + pid + "/stat");
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return "?";
  std::istringstream fields(stat.substr(close + 2));
  std::string state, ppid, group, session;
  fields >> state >> ppid >> group >> session;
  return session;
}

TEST_F(ServiceActions, StartInLegacyModeAnnouncesOnceAndDetaches) {
  makeLauncher(launcher, "<string>legacy</string>", 30000);
  RunningProgram running(launcher, {"start"}, launcherOptions());
  pid_t launcherPid = running.pid();
  ProgramResult result = running.wait();
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "Starting svc\n");
  EXPECT_EQ(result.err, "");
  RecordProperty("start_returned_after_ms", std::to_string(result.seconds * 1000));

  ASSERT_TRUE(waitForFile(record, 20000)) << "the detached application never started";
  auto probe = parseRecord(readFileOrMissing(record));
  std::string pid = one(probe, "pid");
  EXPECT_NE(pid, std::to_string(launcherPid));
  EXPECT_EQ(kill(std::stoi(pid), 0), 0) << "the application did not go on running";
  EXPECT_EQ(sessionOf(pid), pid) << "not in a session of its own";
  EXPECT_EQ(one(probe, "cwd"), "/");
  EXPECT_EQ(one(probe, "fd0"), "/dev/null");
  EXPECT_EQ(one(probe, "fd1"), "/dev/null");
  EXPECT_EQ(one(probe, "fd2"), "/dev/null");
  EXPECT_EQ(all(probe, "arg"), std::vector<std::string>{"start"});
  EXPECT_EQ(one(probe, "service"), "legacy");
  kill(std::stoi(pid), SIGKILL);
}

TEST_F(ServiceActions, LinesNameTheLinkTheLauncherWasStartedBy) {
  makeLauncher(launcher, "<string>legacy</string>");
  std::string link = dir / "elsewhere/otherName";
  fs::create_directories(dir / "elsewhere");
  fs::create_symlink(launcher, link);

  ProgramResult usage = run(link, {"bogus"});
  EXPECT_EQ(usage.status, 1);
  EXPECT_EQ(usage.out, "Usage: otherName {start|stop|run|run-redirect|status}\n");

  ProgramResult stop = run(link, {"stop"});
  EXPECT_EQ(stop.out, "Shutting down otherName\n");
  EXPECT_EQ(stop.status, 0) << stop.err;
  // The launcher's own path is the link's target.
  EXPECT_EQ(one(parseRecord(readFileOrMissing(record)), "module"), launcher);
}

TEST_F(ServiceActions, ExecutablePathLongerThanTheFirstBufferIsFound) {
  std::string deep = dir.path();
  for (int i = 0; i < 6; ++i) deep += "/" + std::string(200, static_cast<char>('a' + i));
  std::string longLauncher = deep + "/svc";
  ASSERT_GT(longLauncher.size(), 1024u);
  makeLauncher(longLauncher, "<string>legacy</string>");

  ProgramResult result = run(longLauncher, {"run"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(one(parseRecord(readFileOrMissing(record)), "module"), longLauncher);
}

}  // namespace
}  // namespace kvx::test
