#include "bundle_command.h"

#include "bundle_build.h"
#include "bundle_plan.h"
#include "package_build.h"
#include "resource_overrides.h"
#include "staging_area.h"
#include "step_log.h"

namespace kvx::bundle {
namespace {

// The failure, and whether taking the partial tree away failed too: a
// person must know when something was left behind.
bool failAfterDiscarding(StagingArea& staging, std::string* error) {
  std::string reason;
  if (!staging.discard(&reason)) *error += "; what was made could not be removed: " + reason;
  return false;
}

}  // namespace

bool makeBundle(const BundleOptions& given, const platform::InterruptionGuard* interruptions,
                std::string* error) {
  StepLog log(given.verbose);
  BundleOptions options = given;
  takeIconFromResources(options, log);
  std::optional<BundlePlan> plan = planBundle(options, log, error);
  if (!plan) return false;
  if (interruptions && interruptions->heldSignal() != 0) {
    *error = "interrupted by " + platform::signalName(interruptions->heldSignal());
    return false;
  }
  if (options.package.format != PackageFormat::None) return makePackage(options, *plan, log, interruptions, error);
  std::optional<StagingArea> staging = StagingArea::create(options.dest, plan->layout.top, error);
  if (!staging) return false;
  log.note("building in " + staging->place().shown());
  if (!buildBundle(options, *plan, *staging, log, interruptions, error) || !staging->commit(error)) {
    return failAfterDiscarding(*staging, error);
  }
  log.note("made " + plan->target);
  return true;
}

}  // namespace kvx::bundle
