// The system log: one line on standard error with the date and time to the
// millisecond, the program name and [pid:tid], then the text.
#pragma once

#include <cstdarg>

namespace kvx::platform {

// printf conversions, plus "%@" which takes a NUL-terminated description
// (a null pointer prints "(null)").
void systemLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void systemLogV(const char* format, va_list args);

}  // namespace kvx::platform
