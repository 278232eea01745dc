// The setup of a child that startProcess has forked, made in the child
// before it executes a program or runs work of ours.
#pragma once

#include "platform/child_options.h"

namespace kvx::platform::detail {

// Sets the calling child up as options say: a new session, the working
// directory, the standard streams (output and errors are the write ends of
// the pipes for ChildStreams::Captured), the descriptors kept (alsoKept
// too, when not -1) and fresh signals. 0, or the errno of the first step
// that failed; the signals are made fresh all the same. Async-signal-safe.
int setUpChild(const ChildOptions& options, int output, int errors, int alsoKept);

}  // namespace kvx::platform::detail
