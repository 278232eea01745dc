#include "base/exception.h"

#include <execinfo.h>

#include <cstdlib>

namespace kvx {

PlatformException::PlatformException(std::string name, std::string reason, SourceLocation where)
    : name_(std::move(name)), reason_(std::move(reason)), where_(where) {
  // The C library's own walk of the stack: the one place below the platform
  // layer that asks the system for anything, because an exception must be
  // able to say where it came from before any layer above it exists.
  void* frames[64];
  int count = backtrace(frames, 64);
  char** symbols = backtrace_symbols(frames, count);
  if (symbols) {
    for (int i = 0; i < count; ++i) callStack_.emplace_back(symbols[i]);
    free(symbols);
  }
}

}  // namespace kvx
