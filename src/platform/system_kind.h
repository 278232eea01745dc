// Which operating system this build is for. The layers above ask here when
// they must follow one of its conventions (where its Java runtimes lie,
// whether its virtual machine takes -Xdock options), so that the compiler's
// own system macros are tested in the platform alone.
#pragma once

namespace kvx::platform {

#if defined(__APPLE__)
inline constexpr bool kIsMacOS = true;
#else
inline constexpr bool kIsMacOS = false;
#endif

}  // namespace kvx::platform
