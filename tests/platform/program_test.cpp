#include "platform/program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <string>
#include <vector>

#include "test_support/dialog_standin.h"
#include "test_support/temp_dir.h"

namespace kvx::platform {
namespace {

using Reason = Termination::Reason;

// Runs a program that must start and end with a status.
Termination mustRun(const std::string& program, const std::vector<std::string>& arguments) {
  std::string error;
  std::optional<Termination> end = runAndWait(program, arguments, &error);
  EXPECT_TRUE(end) << error;
  return end.value_or(Termination{Reason::Exit, -1});
}

struct EndCase {
  const char* script;
  Reason reason;
  int status;
};

TEST(ChildProcess, ReportsHowTheChildEnded) {
  const EndCase cases[] = {
      {"exit 0", Reason::Exit, 0},
      {"exit 7", Reason::Exit, 7},
      {"exit 255", Reason::Exit, 255},
      {"kill -KILL $$", Reason::UncaughtSignal, SIGKILL},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.script);
    std::string error;
    std::optional<ChildProcess> child = ChildProcess::start("/bin/sh", {"-c", c.script}, &error);
    ASSERT_TRUE(child) << error;
    EXPECT_GT(child->pid(), 0);
    Termination end = child->waitUntilExit(&error).value();
    EXPECT_EQ(end.reason, c.reason);
    EXPECT_EQ(end.status, c.status);
    EXPECT_EQ(end.succeeded(), c.reason == Reason::Exit && c.status == 0);
    // The child has been reaped; asking again must not wait on a stale pid.
    Termination again = child->waitUntilExit(&error).value();
    EXPECT_EQ(again.reason, end.reason);
    EXPECT_EQ(again.status, end.status);
  }
}

TEST(ChildProcess, PassesArgumentsVerbatimWithoutAShell) {
  test::TempDir dir;
  const std::string out = dir / "argv";
  // The child writes its own argument vector, one per line.
  const std::string script = "tr '\\000' '\\n' < /proc/$$/cmdline > \"$0\"";
  Termination end = mustRun("/bin/sh", {"-c", script, out, "a b", "$HOME", "*", "", "'q'"});
  ASSERT_TRUE(end.succeeded());
  EXPECT_EQ(test::readFileOrMissing(out),
            "/bin/sh\n-c\n" + script + "\n" + out + "\na b\n$HOME\n*\n\n'q'\n");
}

TEST(ChildProcess, InheritsTheEnvironmentAsItIsNow) {
  test::TempDir dir;
  const std::string out = dir / "env";
  ASSERT_EQ(setenv("KVX_CHILD_PROBE", "set after start-up", 1), 0);
  Termination end = mustRun("/bin/sh", {"-c", "printf %s \"$KVX_CHILD_PROBE\" > \"$0\"", out});
  unsetenv("KVX_CHILD_PROBE");
  ASSERT_TRUE(end.succeeded());
  EXPECT_EQ(test::readFileOrMissing(out), "set after start-up");
}

TEST(ChildProcess, AProgramThatCannotStartGivesTheSystemsReason) {
  test::TempDir dir;
  const std::string notExecutable = dir / "plain-file";
  test::writeFile(notExecutable, "#!/bin/sh\nexit 0\n");
  chmod(notExecutable.c_str(), 0644);
  const std::string missing = dir / "no-such-program";

  struct Case {
    std::string program;
    const char* systemText;
  };
  const Case cases[] = {
      {missing, "No such file or directory"},
      {notExecutable, "Permission denied"},
      {dir.path(), "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    std::string error;
    EXPECT_FALSE(runAndWait(c.program, {"-r"}, &error));
    EXPECT_NE(error.find(c.program), std::string::npos) << error;
    EXPECT_NE(error.find(c.systemText), std::string::npos) << error;
  }
}

std::atomic<int> g_alarms{0};

TEST(ChildProcess, WaitSurvivesInterruptingSignals) {
  // A handler installed without SA_RESTART makes waitpid return EINTR each
  // time the timer fires while the child is still running.
  struct sigaction action = {};
  action.sa_handler = [](int) { g_alarms.fetch_add(1); };
  struct sigaction previous = {};
  ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);
  const itimerval every20ms = {{0, 20000}, {0, 20000}};
  ASSERT_EQ(setitimer(ITIMER_REAL, &every20ms, nullptr), 0);

  Termination end = mustRun("/bin/sh", {"-c", "sleep 0.3; exit 5"});

  const itimerval off = {};
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &previous, nullptr);
  EXPECT_GT(g_alarms.load(), 0);
  EXPECT_EQ(end.reason, Reason::Exit);
  EXPECT_EQ(end.status, 5);
}

TEST(DetachedProcess, RunsInItsOwnSessionAndIsNotOurChild) {
  test::TempDir dir;
  std::string record = dir / "record";
  std::string error;
  int pid = startDetached("/bin/sh",
                          {"-c", "echo $$ > '" + record + ".part'; mv '" + record + ".part' '" + record +
                                     "'; sleep 5"},
                          &error)
                .value_or(-1);
  ASSERT_GT(pid, 0) << error;
  EXPECT_EQ(test::waitForFile(record), std::to_string(pid) + "\n");
  EXPECT_EQ(getsid(pid), pid);
  // Reparented away from us: there is nothing to wait for, so no zombie.
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  kill(pid, SIGTERM);
}

TEST(DetachedProcess, AProgramThatCannotBeStartedGivesTheReason) {
  test::TempDir dir;
  test::writeFile(dir / "not-executable", "#!/bin/sh\n");
  for (const std::string& program : {dir / "missing", dir / "not-executable", dir.path()}) {
    std::string error;
    EXPECT_FALSE(startDetached(program, {}, &error)) << program << " was started";
    EXPECT_TRUE(error.starts_with(program + ": could not be started: ")) << error;
  }
}

}  // namespace
}  // namespace kvx::platform
