// The modules jpackage puts into the runtime of an application that is no
// module itself: every module of the JDK that exports an API to all, with
// the modules they require. Asked of the JDK itself, so that it is the set
// of that JDK's release.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jdk_location.h"
#include "platform/captured_program.h"
#include "platform/directory_handle.h"
#include "step_log.h"

namespace kvx::bundle {

// The set, read by a small program the JDK's java runs from its source in
// workingDirectory (and removes again). nullopt with one line in *error.
std::optional<std::vector<std::string>> defaultModuleSet(const Jdk& jdk, const platform::DirectoryHandle& workingDirectory,
                                                         const StepLog& log, const platform::CaptureOptions& inside,
                                                         std::string* error);

}  // namespace kvx::bundle
