// Work left for the moment the process ends normally: after main returns or
// exit is called, by whichever thread calls it, and after the runtime's own
// work at exit (the runtime writes its archives before it calls exit).
#pragma once

namespace kvx::platform {

// Calls action(data) once when the process exits normally; never when it is
// killed or crashes. Hooks run in the reverse order of registration. False
// when the system would take no more hooks: then action is never called.
bool runAtExit(void (*action)(void* data), void* data);

}  // namespace kvx::platform
