// Detaching the running process from its terminal, as a service does.
#pragma once

namespace kvx::platform {

// Forks; the calling process ends at once with status 0 (no exit handlers,
// no flushing), and the child goes on in a new session. When nochdir is 0
// the child changes to "/"; when noclose is 0 its descriptors 0 to 2 are
// pointed at "/dev/null". Returns 0 in the child, or -1 with errno set when
// a step fails (in the caller, when the fork itself fails).
int daemon_compat(int nochdir, int noclose);

}  // namespace kvx::platform
