// Shared libraries opened at run time: the chosen runtime's launch library.
#pragma once

#include <string>

namespace kvx::platform {

class DynamicLibrary {
 public:
  // Opens the library with lazy binding: its functions are bound when first
  // called, so a library that needs a symbol we never call still loads.
  // On failure returns a library that is not open, and puts the loader's
  // reason into *error.
  static DynamicLibrary openLazily(const std::string& path, std::string* error);

  bool isOpen() const { return handle_ != nullptr; }
  // The address of an exported symbol, or null when the library has none.
  void* symbol(const char* name) const;

  // The library is never closed: the runtime it belongs to runs until the
  // process ends, and closing it would pull the code out from under it.
 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;
};

}  // namespace kvx::platform
