#include "base/exception.h"

#include <execinfo.h>

#include <cstdlib>

namespace kvx {

PlatformException::PlatformException(std::string name, std::string reason)
    : name_(std::move(name)), reason_(std::move(reason)) {
  void* frames[64];
  int count = backtrace(frames, 64);
  char** symbols = backtrace_symbols(frames, count);
  if (symbols) {
    for (int i = 0; i < count; ++i) callStack_.emplace_back(symbols[i]);
    free(symbols);
  }
}

}  // namespace kvx
