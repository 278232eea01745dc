#include "unpack/unpacker.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "run/diagnostic_log.h"
#include "base/exception.h"
#include "platform/file_lock.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

namespace fs = std::filesystem;
using test::readFileOrMissing;
using test::writeFile;

// A runtime home in a temporary directory whose bin/unpack200 is the
// stand-in, which appends each call's arguments to a log.
class RuntimeHome : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = dir_ / "Foo.app/Contents/Resources/jre.bundle/Contents/Home";
    fs::create_directories(home_ + "/bin");
    fs::copy_file(KVX_BUILD_DIR "/unpack200-standin", home_ + "/bin/unpack200");
    log_ = dir_ / "tool-calls";
    setenv("UNPACK200_STANDIN_LOG", log_.c_str(), 1);
  }
  void TearDown() override { unsetenv("UNPACK200_STANDIN_LOG"); }

  std::string at(const std::string& relative) const { return home_ + "/" + relative; }
  void pack(const std::string& relative, const std::string& content = "classes") {
    writeFile(at(relative), content);
  }
  // The list exactly as the unpacker will build it from the directories now.
  std::vector<std::string> listed() const {
    std::vector<std::string> list;
    Unpacker::addPackedFiles(list, "lib", home_);
    Unpacker::addPackedFiles(list, "lib/ext", home_);
    return list;
  }
  // One line per tool run: "-r", packed and jar, separated by tabs.
  std::string toolCalls() const {
    std::string calls = readFileOrMissing(log_);
    return calls == "<missing>" ? "" : calls;
  }
  std::string callFor(const std::string& relative) const {
    std::string jar = relative.substr(0, relative.size() - 5);
    return "-r\t" + at(relative) + "\t" + at(jar) + "\n";
  }

  test::TempDir dir_;
  std::string home_;
  std::string log_;
};

TEST_F(RuntimeHome, ListsDirectPackedJarsOfLibBeforeThoseOfExt) {
  pack("lib/rt.jar.pack");
  pack("lib/.hidden.jar.pack");
  pack("lib/ext/localedata.jar.pack");
  for (const char* ignored : {"lib/rt.JAR.PACK", "lib/rt.jar.pack.bak", "lib/rt.jar", "lib/pack",
                              "lib/ext/sub/deep.jar.pack", "lib/sub/other.jar.pack"}) {
    pack(ignored);
  }

  std::vector<std::string> list = {"kept"};
  Unpacker::addPackedFiles(list, "lib", home_);
  Unpacker::addPackedFiles(list, "lib/ext", home_);

  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0], "kept");
  std::vector<std::string> fromLib = {list[1], list[2]};
  std::sort(fromLib.begin(), fromLib.end());
  EXPECT_EQ(fromLib, (std::vector<std::string>{"lib/.hidden.jar.pack", "lib/rt.jar.pack"}));
  EXPECT_EQ(list[3], "lib/ext/localedata.jar.pack");
}

// Started by a parent that ignores SIGCHLD (some service managers and shells
// do), the tool would be reaped by the kernel and its success never seen.
TEST_F(RuntimeHome, AParentThatIgnoresChildSignalsDoesNotHideTheToolsSuccess) {
  pack("lib/rt.jar.pack");
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ASSERT_EQ(sigaction(SIGCHLD, &ignore, &previous), 0);
  const bool unpacked = Unpacker::unpack(home_);
  struct sigaction after = {};
  sigaction(SIGCHLD, &previous, &after);
  EXPECT_TRUE(unpacked);
  EXPECT_EQ(readFileOrMissing(at("lib/rt.jar")), "unpacked:classes");
  // The parent's own choice is put back.
  EXPECT_EQ(after.sa_handler, SIG_IGN);
}

TEST_F(RuntimeHome, NothingToDoIsSuccessWithoutToolOrCallback) {
  struct Case {
    const char* name;
    std::vector<const char*> files;
  };
  const Case cases[] = {
      {"no lib at all", {}},
      {"lib without ext", {"lib/rt.jar"}},
      {"only names that are not packed jars", {"lib/rt.JAR.PACK", "lib/ext/a.jar.pack.bak"}},
      {"packed jar below ext", {"lib/ext/sub/deep.jar.pack"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(at("lib"));
    for (const char* file : c.files) pack(file);
    EXPECT_TRUE(Unpacker::unpack(home_));
    for (const char* file : c.files) EXPECT_TRUE(fs::exists(at(file))) << file;
  }
  EXPECT_TRUE(Unpacker::unpack(dir_ / "no-such-runtime"));
  EXPECT_EQ(toolCalls(), "");
  // A start with nothing to do leaves no trace in the runtime, not even its lock.
  EXPECT_FALSE(fs::exists(at("_kvx_unpack.lock")));
}

// Whether the process has path open, as a start waiting for its lock has.
bool holdsOpen(pid_t pid, const std::string& path) {
  std::error_code failure;
  for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", failure)) {
    if (fs::read_symlink(entry.path(), failure) == path) return true;
  }
  return false;
}

// The status a child ended with, or -1 when it has not ended within the time.
int statusWithin(pid_t pid, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(10000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Another start holds the runtime's lock: this one waits for it, then expands
// only what the other left packed.
TEST_F(RuntimeHome, WaitsForAnotherStartAndExpandsOnlyWhatItLeft) {
  pack("lib/a.jar.pack", "a");
  pack("lib/b.jar.pack", "b");
  const std::string lockPath = at("_kvx_unpack.lock");
  std::string error;
  std::optional<platform::FileLock> other = platform::FileLock::waitExclusive(lockPath, &error);
  ASSERT_TRUE(other) << error;
  fflush(nullptr);
  const pid_t start = fork();
  ASSERT_GE(start, 0);
  if (start == 0) {
    other.reset();  // only this copy of the descriptor: the lock stays with the parent
    _exit(Unpacker::unpack(home_) ? 0 : 1);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!holdsOpen(start, lockPath) && std::chrono::steady_clock::now() < deadline) usleep(10000);
  EXPECT_TRUE(holdsOpen(start, lockPath)) << "the start never came to the lock";
  EXPECT_EQ(toolCalls(), "") << "the tool ran while another start held the lock";

  // The other start expands a, as the tool would, and lets go.
  writeFile(at("lib/a.jar"), "unpacked by the other start");
  fs::remove(at("lib/a.jar.pack"));
  other.reset();

  EXPECT_EQ(statusWithin(start, std::chrono::seconds(20)), 0);
  EXPECT_EQ(toolCalls(), callFor("lib/b.jar.pack"));
  EXPECT_EQ(readFileOrMissing(at("lib/a.jar")), "unpacked by the other start");
  EXPECT_EQ(readFileOrMissing(at("lib/b.jar")), "unpacked:b");
}

TEST_F(RuntimeHome, ExpandsEveryPackedJarInListOrder) {
  pack("lib/rt.jar.pack", "rt");
  pack("lib/ext/localedata.jar.pack", "locale");
  pack("lib/ext/sub/deep.jar.pack", "deep");

  ASSERT_TRUE(Unpacker::unpack(home_));

  EXPECT_EQ(readFileOrMissing(at("lib/rt.jar")), "unpacked:rt");
  EXPECT_EQ(readFileOrMissing(at("lib/ext/localedata.jar")), "unpacked:locale");
  EXPECT_FALSE(fs::exists(at("lib/rt.jar.pack")));
  EXPECT_FALSE(fs::exists(at("lib/ext/localedata.jar.pack")));
  EXPECT_TRUE(fs::exists(at("lib/ext/sub/deep.jar.pack")));
  EXPECT_EQ(toolCalls(), callFor("lib/rt.jar.pack") + callFor("lib/ext/localedata.jar.pack"));

  // The tool removed what it expanded: a later start has nothing to do.
  EXPECT_TRUE(Unpacker::unpack(home_));
  EXPECT_EQ(toolCalls(), callFor("lib/rt.jar.pack") + callFor("lib/ext/localedata.jar.pack"));
}

TEST_F(RuntimeHome, FileGoneBeforeItsTurnIsSkipped) {
  pack("lib/a.jar.pack");
  pack("lib/b.jar.pack");
  pack("lib/c.jar.pack");
  const std::vector<std::string> list = listed();
  ASSERT_EQ(list.size(), 3u);

  // While the first file is expanded, the second disappears (another start
  // expanded it) before the unpacker reaches it.
  pack(list[0], "ALSO_REMOVE:" + at(list[1]));
  ASSERT_TRUE(Unpacker::unpack(home_));

  EXPECT_EQ(toolCalls(), callFor(list[0]) + callFor(list[2]));
  EXPECT_TRUE(fs::exists(at(list[2].substr(0, list[2].size() - 5))));
}

TEST_F(RuntimeHome, FailedToolRunStopsAtOnceAndALaterRunResumes) {
  pack("lib/a.jar.pack", "a");
  pack("lib/b.jar.pack", "b");
  pack("lib/c.jar.pack", "c");
  const std::vector<std::string> list = listed();
  ASSERT_EQ(list.size(), 3u);
  const std::string sound = readFileOrMissing(at(list[1]));
  writeFile(at(list[1]), "FAIL: corrupt");
  const int32_t tracing = logStatus;
  logStatus = 2;  // the failure line must not depend on tracing

  testing::internal::CaptureStderr();
  const bool ok = Unpacker::unpack(home_);
  const std::string errors = testing::internal::GetCapturedStderr();
  logStatus = tracing;

  EXPECT_FALSE(ok);
  EXPECT_NE(errors.find("] Unpack task failed."), std::string::npos) << errors;
  EXPECT_NE(errors.find("Unpacker::unpack"), std::string::npos) << errors;
  EXPECT_FALSE(fs::exists(at(list[0])));
  EXPECT_TRUE(fs::exists(at(list[1])));
  EXPECT_TRUE(fs::exists(at(list[2])));
  EXPECT_EQ(toolCalls(), callFor(list[0]) + callFor(list[1]));

  // Once the archive is sound again, the next start picks up where this one stopped.
  writeFile(at(list[1]), sound);
  EXPECT_TRUE(Unpacker::unpack(home_));
  EXPECT_EQ(toolCalls(), callFor(list[0]) + callFor(list[1]) + callFor(list[1]) + callFor(list[2]));
  for (const char* jar : {"lib/a.jar", "lib/b.jar", "lib/c.jar"}) {
    EXPECT_EQ(readFileOrMissing(at(jar)), "unpacked:" + std::string(1, jar[4])) << jar;
  }
}

TEST_F(RuntimeHome, ToolThatCannotStartRaises) {
  pack("lib/rt.jar.pack");
  fs::remove(at("bin/unpack200"));
  EXPECT_THROW(Unpacker::unpack(home_), PlatformException);
  EXPECT_TRUE(fs::exists(at("lib/rt.jar.pack")));
}

TEST_F(RuntimeHome, HomeWithoutJreUnpacksTheHomeItself) {
  pack("lib/rt.jar.pack", "rt");
  // The runtime search unpacks the home's "jre" first, then the home.
  EXPECT_TRUE(Unpacker::unpack(at("jre")));
  EXPECT_EQ(toolCalls(), "");
  EXPECT_TRUE(Unpacker::unpack(home_));
  EXPECT_EQ(readFileOrMissing(at("lib/rt.jar")), "unpacked:rt");
}

TEST_F(RuntimeHome, TracesTheListAndEachFileItUnpacks) {
  pack("lib/rt.jar.pack");
  const int32_t tracing = logStatus;
  logStatus = 1;
  testing::internal::CaptureStderr();
  const bool ok = Unpacker::unpack(home_);
  const std::string trace = testing::internal::GetCapturedStderr();
  logStatus = tracing;

  EXPECT_TRUE(ok);
  EXPECT_NE(trace.find("] found (\n    lib/rt.jar.pack\n)"), std::string::npos) << trace;
  EXPECT_NE(trace.find("] unpacking lib/rt.jar.pack\n"), std::string::npos) << trace;
}

}  // namespace
}  // namespace kvx
