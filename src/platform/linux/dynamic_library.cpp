#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace kvx::platform {

DynamicLibrary DynamicLibrary::openLazily(const std::string& path, std::string* error) {
  // The loader would wait forever on a FIFO put where a library belongs.
  struct stat st;
  if (path.find('/') != std::string::npos && stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    *error = path + ": not a regular file";
    return DynamicLibrary(nullptr);
  }
  void* handle = dlopen(path.c_str(), RTLD_LAZY);
  if (handle == nullptr) {
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
