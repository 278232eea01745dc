// Starts a program with SIGCHLD ignored, as a parent that wants no zombies
// may leave it for everything it starts. A shell cannot be relied on for
// this: dash keeps SIGCHLD for itself and passes no "trap '' CHLD" on.
//
//   ignoring-sigchld <program> [<argument>...]
//
// Exits 2 for a wrong command line and 127 when the program cannot be started.
#include <signal.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    (void)fputs("usage: ignoring-sigchld <program> [<argument>...]\n", stderr);
    return 2;
  }
  if (signal(SIGCHLD, SIG_IGN) == SIG_ERR) {
    perror("SIGCHLD");
    return 127;
  }
  execv(argv[1], argv + 1);
  perror(argv[1]);
  return 127;
}
