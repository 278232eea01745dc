// Starts a program through a descriptor of its file rather than by its path,
// the way fexecve does, so that the program is never told where it lies.
//
//   exec-from-descriptor [--unlink] <program> [<argument>...]
//
// The program receives <program> as its argument 0 and the arguments that
// follow. With --unlink its file is deleted between opening and starting it,
// so the program runs from a file that no path leads to any more. Exits 2
// for a wrong command line and 127 when the program cannot be started.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

extern char** environ;

int main(int argc, char** argv) {
  int first = 1;
  bool unlinkFirst = argc > 1 && strcmp(argv[1], "--unlink") == 0;
  if (unlinkFirst) ++first;
  if (first >= argc) {
    (void)fputs("usage: exec-from-descriptor [--unlink] <program> [<argument>...]\n", stderr);
    return 2;
  }
  // Closed on exec: nothing the program could open later may be mistaken for it.
  int fd = open(argv[first], O_RDONLY | O_CLOEXEC);
  if (fd < 0 || (unlinkFirst && unlink(argv[first]) != 0)) {
    perror(argv[first]);
    return 127;
  }
  fexecve(fd, argv + first, environ);
  perror("fexecve");
  return 127;
}
