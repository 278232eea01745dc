// Relaunching the application bundle through the workspace service, and
// standing in for it until it ends.
#include <cerrno>

#include "entry/entry_points.h"
#include "entry/workspace_relaunch.h"
#include "run/diagnostic_log.h"
#include "platform/bundle.h"
#include "plist/plist.h"
#include "platform/process.h"
#include "platform/signals.h"

namespace kvx {

std::atomic<int32_t> gChildPid{0};

namespace {

constexpr uint32_t kPollMicroseconds = 200000;

uint64_t launchOptions(bool hidden) {
  using namespace platform;
  uint64_t options = NSWorkspaceLaunchWithoutAddingToRecents;
  if (hidden) options |= NSWorkspaceLaunchAndHide | NSWorkspaceLaunchWithoutActivation;
  return options;
}

void waitUntilGone(int32_t pid) {
  // A signal cuts a sleep short; the test below decides whether to go on.
  while (pid > 0 && platform::processExists(pid)) {
    platform::sleepMicroseconds(kPollMicroseconds);
  }
}

}  // namespace

void forward_sigterm(int signal) {
  // The interrupted code may be about to read errno.
  int savedErrno = errno;
  int32_t pid = gChildPid.load();
  if (pid > 0) platform::sendSignal(pid, signal);
  errno = savedErrno;
}

int relaunchAndWait(bool hidden, const std::vector<std::string>& processArguments,
                    const std::string& bundlePath, const ApplicationStarter& start) {
  std::vector<std::string> handedOn;
  if (processArguments.size() >= 2) {
    handedOn.assign(processArguments.begin() + 2, processArguments.end());
  }
  KVX_TRACE("workspace open with args %@", plist::describe(handedOn).c_str());
  platform::installSignalHandler(platform::kSignalTerminate, forward_sigterm);
  platform::installSignalHandler(platform::kSignalInterrupt, forward_sigterm);
  platform::installSignalHandler(platform::kSignalHangUp, forward_sigterm);

  std::string error;
  std::optional<int32_t> launched = start(bundlePath, launchOptions(hidden), handedOn, &error);
  if (!launched) {
    KVX_TRACE("Launch failed: %@", error.c_str());
    return 1;
  }
  int32_t pid = *launched;
  KVX_TRACE("process identifier: %lld", static_cast<long long>(pid));
  gChildPid.store(pid);
  waitUntilGone(pid);
  return 0;
}

int workspace_open(const RunState& run, bool hidden) {
  return relaunchAndWait(hidden, run.arguments, run.mainBundle.path, platform::launchApplication);
}

}  // namespace kvx
