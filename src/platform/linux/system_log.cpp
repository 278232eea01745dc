#include "platform/system_log.h"

#include <errno.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace kvx::platform {
namespace {

// "%@" takes a description that is already text; everything else is printf's.
std::string toPrintfFormat(const char* format) {
  std::string out;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == '@') {
      out += "%s";
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      out += "%%";
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

// The name the program was started by, as the C library kept it from argv[0].
std::string programName() {
  const char* name = program_invocation_short_name;
  return name != nullptr && *name != '\0' ? std::string(name) : std::string("kvx-launcher");
}

std::string timestamp() {
  struct timeval now;
  gettimeofday(&now, nullptr);
  struct tm local;
  localtime_r(&now.tv_sec, &local);
  char buf[64];
  size_t n = strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  (void)snprintf(buf + n, sizeof buf - n, ".%03d", static_cast<int>(now.tv_usec / 1000));
  return buf;
}

}  // namespace

void systemLogV(const char* format, va_list args) {
  std::string fmt = toPrintfFormat(format);
  va_list copy;
  va_copy(copy, args);
  int length = vsnprintf(nullptr, 0, fmt.c_str(), copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) (void)vsnprintf(text.data(), text.size() + 1, fmt.c_str(), args);
  if (text.empty() || text.back() != '\n') text += '\n';
  std::string line = timestamp() + " " + programName() + "[" + std::to_string(getpid()) + ":" +
                     std::to_string(static_cast<long>(syscall(SYS_gettid))) + "] " + text;
  // A trace that cannot be written has nowhere else to go.
  (void)fwrite(line.data(), 1, line.size(), stderr);
  (void)fflush(stderr);
}

// A printf-style variadic, as the system logger it stands for; the compiler
// checks its callers' formats through the format attribute.
void systemLog(const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  va_list args;
  va_start(args, format);
  systemLogV(format, args);
  va_end(args);
}

}  // namespace kvx::platform
