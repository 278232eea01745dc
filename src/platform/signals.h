// Signals: handlers, sending, and waiting in small steps.
#pragma once

#include <cstdint>

namespace kvx::platform {

// The termination signals, with the numbers every Unix gives them.
inline constexpr int kSignalHangUp = 1;
inline constexpr int kSignalInterrupt = 2;
inline constexpr int kSignalTerminate = 15;

using SignalHandler = void (*)(int);

// Installs handler with an empty mask and no flags, so that a call the
// signal interrupts is not restarted. The previous action is not kept.
void installSignalHandler(int signal, SignalHandler handler);

// kill(2); may be called inside a signal handler. 0, or -1 on failure.
int sendSignal(int32_t pid, int signal);

// Whether the process is still there. A process that has ended but has not
// been reaped yet (a zombie) has ended.
bool processExists(int32_t pid);

// Sleeps; a signal that arrives ends the sleep early.
void sleepMicroseconds(uint32_t microseconds);

}  // namespace kvx::platform
