// Detaching as a service start does it, observed from a forked helper that
// detaches and a daemon that writes down where it ended up.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "entry/service_actions.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

std::string linkTarget(const std::string& path) {
  char buf[PATH_MAX];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf);
  return n < 0 ? "closed" : std::string(buf, static_cast<size_t>(n));
}

// Runs in the daemon: only what it needs to describe itself.
void describeSelf(const std::string& record) {
  char cwd[PATH_MAX];
  std::ofstream out(record + ".part");
  out << "session_leader=" << (getsid(0) == getpid()) << "\n"
      << "cwd=" << (getcwd(cwd, sizeof cwd) ? cwd : "?") << "\n";
  for (int fd = 0; fd <= 2; ++fd)
    out << "fd" << fd << "=" << linkTarget("/proc/self/fd/" + std::to_string(fd)) << "\n";
  out.close();
  rename((record + ".part").c_str(), record.c_str());
}

TEST(DaemonCompat, CallerEndsWithZeroAndTheChildGoesOnDetached) {
  struct Case {
    const char* what;
    int nochdir;
    int noclose;
    bool closeStdinFirst;
    std::string cwd;    // empty: the helper's own
    std::string stdio;  // empty: as the helper had them
  };
  const Case cases[] = {
      {"to / and /dev/null", 0, 0, false, "/", "/dev/null"},
      // /dev/null then opens as descriptor 0 itself, which must stay open.
      {"with descriptor 0 closed", 0, 0, true, "/", "/dev/null"},
      {"keeping directory and descriptors", 1, 1, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    std::string record = dir / "daemon";
    std::string helperOut = dir / "helper-out";
    pid_t helper = fork();
    if (helper == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(4);
      int out = open(helperOut.c_str(), O_WRONLY | O_CREAT, 0644);
      dup2(out, 1);
      dup2(out, 2);
      if (c.closeStdinFirst) close(0);
      if (std::string error; !daemon_compat(c.nochdir, c.noclose, &error)) _exit(3);
      describeSelf(record);
      _exit(0);
    }
    int status = -1;
    waitpid(helper, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string expectedCwd = c.cwd.empty() ? dir.path() : c.cwd;
    std::string expectedOut = c.stdio.empty() ? helperOut : c.stdio;
    std::string expectedIn = c.stdio.empty() ? linkTarget("/proc/self/fd/0") : c.stdio;
    EXPECT_EQ(test::readFileOrMissing(record), "session_leader=1\ncwd=" + expectedCwd +
                                                   "\nfd0=" + expectedIn + "\nfd1=" + expectedOut +
                                                   "\nfd2=" + expectedOut + "\n");
  }
}

}  // namespace
}  // namespace kvx
