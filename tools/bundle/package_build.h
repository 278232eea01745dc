// Making a .deb or an .rpm (--type deb|rpm): the application's tree as
// --type app or cli makes it, installed under /opt/<name> with what the
// desktop and the package tools look for, packed by the system's own tools.
#pragma once

#include <string>

#include "bundle_options.h"
#include "bundle_plan.h"
#include "platform/interruption.h"
#include "step_log.h"

namespace kvx::bundle {

// The package file's name in DEST for options, or nullopt with *error when
// the stub's processor has no name in the format.
std::optional<std::string> packageFileName(const BundleOptions& options, const std::string& stub, std::string* error);

// Builds the package in a hidden folder of DEST and moves the finished file
// to plan.target; a failure or an interruption leaves nothing. With
// SOURCE_DATE_EPOCH set, every time in the package is that time, so that
// the same inputs give the same bytes. False with one line in *error.
bool makePackage(const BundleOptions& options, const BundlePlan& plan, const StepLog& log,
                 const platform::InterruptionGuard* interruptions, std::string* error);

}  // namespace kvx::bundle
