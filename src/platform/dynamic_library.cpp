#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace kvx::platform {

DynamicLibrary DynamicLibrary::openLazily(const std::string& path, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY);
  if (handle == nullptr && error != nullptr) {
    const char* reason = dlerror();
    *error = reason ? reason : "unknown error";
  }
  return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return dlsym(handle_, name);
}

}  // namespace kvx::platform
