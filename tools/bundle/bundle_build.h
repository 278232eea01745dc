// Filling the staging directory with a finished application, step by step.
#pragma once

#include <string>

#include "bundle_options.h"
#include "bundle_plan.h"
#include "platform/interruption.h"
#include "staging_area.h"
#include "step_log.h"

namespace kvx::bundle {

// Copies the input, the messages and the icon, writes the configuration and
// the launcher, ships the runtime and, for an application bundle, its
// desktop entry. False with one line in *error; what was made stays in the
// staging area for its owner to discard.
bool buildBundle(const BundleOptions& options, const BundlePlan& plan, const StagingArea& staging,
                 const StepLog& log, const platform::InterruptionGuard* interruptions, std::string* error);

}  // namespace kvx::bundle
