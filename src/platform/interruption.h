// Holding back the signals that ask a program to stop (interrupt, hang-up,
// terminate) while it does work that must be undone rather than cut short,
// such as filling a directory that is renamed into place only at the end.
#pragma once

#include <optional>
#include <string>

namespace kvx::platform {

class InterruptionGuard {
 public:
  // Holds the three signals back from now on, except those this process
  // ignores already: they stay ignored. nullopt, with the system's reason in
  // *error, when the process's signal mask cannot be changed.
  static std::optional<InterruptionGuard> begin(std::string* error);

  // Lets the signals through again: one that arrived meanwhile then takes
  // the effect it would have had, ending the program if nothing handles it.
  ~InterruptionGuard();
  InterruptionGuard(InterruptionGuard&& other) noexcept;
  InterruptionGuard(const InterruptionGuard&) = delete;
  InterruptionGuard& operator=(const InterruptionGuard&) = delete;
  InterruptionGuard& operator=(InterruptionGuard&&) = delete;

  // The signal that has arrived and is held back, or 0.
  int heldSignal() const;
  // A descriptor that is readable while a signal is held back, for waiting
  // on it together with other descriptors. Reading it is never needed.
  int descriptor() const { return descriptor_; }

 private:
  InterruptionGuard(int descriptor, bool wereBlocked[3]);

  int descriptor_;
  // Which of the signals were already held back before, and stay so.
  bool wereBlocked_[3];
};

// The conventional name of a signal ("SIGINT"), or its number.
std::string signalName(int signal);

}  // namespace kvx::platform
