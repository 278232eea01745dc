// The trace, switched on for the whole run by KESTROVEL_LOG=yes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system_log.h"

extern "C" {
// 0 not yet decided, 1 on, 2 off.
extern int32_t logStatus;
// printf conversions plus "%@", which takes a NUL-terminated description.
// Every caller's format begins "%s [Line %d] " with its signature and line.
void DLog(const char* format, ...);
}

namespace kvx {
// Decides the switch at the first call; the environment is not read again.
bool traceEnabled();
// A function's name as a person reads it, from its compiler signature:
// "Launcher::getMessage", without return type, namespaces or parameters.
std::string shortFunctionName(std::string_view signature);
}  // namespace kvx

// Traces through DLog, formatting (and describing) nothing when tracing is off.
#define KVX_TRACE(format, ...)                                                   \
  do {                                                                           \
    if (::kvx::traceEnabled())                                                   \
      ::DLog("%s [Line %d] " format, __PRETTY_FUNCTION__, __LINE__ __VA_OPT__(, ) \
             __VA_ARGS__);                                                       \
  } while (0)

// The four failure lines that are written whatever the switch says. They
// may reach a person, so the function is named briefly.
#define KVX_ALWAYS_LOG(format, ...)                                                         \
  ::kvx::platform::systemLog("%s [Line %d] " format,                                        \
                             ::kvx::shortFunctionName(__PRETTY_FUNCTION__).c_str(), __LINE__ \
                             __VA_OPT__(, ) __VA_ARGS__)
