// Everything kvx-bundle checks before it makes anything: a run that is
// refused here leaves no trace.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bundle_layout.h"
#include "bundle_options.h"
#include "jdk_location.h"
#include "main_class.h"
#include "module_plan.h"
#include "runtime_image.h"
#include "step_log.h"

namespace kvx::bundle {

struct BundlePlan {
  BundleLayout layout;
  std::string stub;
  std::string target;                     // DEST/NAME.app or DEST/NAME
  std::vector<std::string> jars;          // relative to the input, in byte order
  MainClassChoice main;
  std::optional<Jdk> jdk;                 // when the runtime is made with jlink
  std::optional<PreparedRuntime> image;   // when a prepared runtime is shipped
  bool inputHasMessages = false;          // the input brings .kestrovel/Messages.bundle (--type app)
  std::optional<ModulePlan> modules;      // with --module: main holds its class and the release it needs
  std::vector<MainClassChoice> addedMains;  // of options.addedLaunchers, in order
};

// The plan for options, or nullopt with one line in *error naming the
// problem: the stub, the input and its jars, the main class, the place in
// DEST, the runtime (the JDK and its tools, or the prepared runtime), the
// icon and the messages bundle.
std::optional<BundlePlan> planBundle(const BundleOptions& options, const StepLog& log, std::string* error);

}  // namespace kvx::bundle
