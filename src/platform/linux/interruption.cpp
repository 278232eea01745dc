#include "platform/interruption.h"

#include <signal.h>
#include <string.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/system_error.h"

namespace kvx::platform {
namespace {

constexpr int kHeld[3] = {SIGINT, SIGHUP, SIGTERM};

// A signal the caller set to be ignored (nohup, a shell's background job)
// was meant never to stop us: it stays ignored rather than held.
bool ignoredByCaller(int signal) {
  struct sigaction current = {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

sigset_t heldSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kHeld) {
    if (!ignoredByCaller(signal)) sigaddset(&set, signal);
  }
  return set;
}

}  // namespace

std::optional<InterruptionGuard> InterruptionGuard::begin(std::string* error) {
  sigset_t held = heldSet();
  sigset_t before;
  if (sigprocmask(SIG_BLOCK, &held, &before) != 0) {
    *error = "cannot hold back interruptions: " + systemErrorText(errno);
    return std::nullopt;
  }
  bool wereBlocked[3];
  for (int i = 0; i < 3; ++i) wereBlocked[i] = sigismember(&before, kHeld[i]) == 1;
  int descriptor = signalfd(-1, &held, SFD_CLOEXEC | SFD_NONBLOCK);
  if (descriptor < 0) {
    *error = "cannot watch for interruptions: " + systemErrorText(errno);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return std::nullopt;
  }
  return InterruptionGuard(descriptor, wereBlocked);
}

InterruptionGuard::InterruptionGuard(int descriptor, bool wereBlocked[3]) : descriptor_(descriptor) {
  for (int i = 0; i < 3; ++i) wereBlocked_[i] = wereBlocked[i];
}

InterruptionGuard::InterruptionGuard(InterruptionGuard&& other) noexcept
    : descriptor_(other.descriptor_) {
  for (int i = 0; i < 3; ++i) wereBlocked_[i] = other.wereBlocked_[i];
  other.descriptor_ = -1;
}

InterruptionGuard::~InterruptionGuard() {
  if (descriptor_ < 0) return;
  close(descriptor_);
  sigset_t release;
  sigemptyset(&release);
  for (int i = 0; i < 3; ++i) {
    if (!wereBlocked_[i]) sigaddset(&release, kHeld[i]);
  }
  sigprocmask(SIG_UNBLOCK, &release, nullptr);
}

int InterruptionGuard::heldSignal() const {
  sigset_t pending;
  if (sigpending(&pending) != 0) return 0;
  for (int signal : kHeld) {
    if (sigismember(&pending, signal) == 1) return signal;
  }
  return 0;
}

std::string signalName(int signal) {
  const char* abbreviation = sigabbrev_np(signal);
  return abbreviation ? std::string("SIG") + abbreviation : std::to_string(signal);
}

}  // namespace kvx::platform
