#include "entry/service_actions.h"

namespace kvx {
namespace {

struct ServiceAction {
  const char* word;
  ServiceStep legacy;
  ServiceStep other;
};

// "start-launchd" is accepted everywhere although no usage line names it.
constexpr ServiceAction kServiceActions[] = {
    {"start", ServiceStep::Detach, ServiceStep::Accept},
    {"stop", ServiceStep::AnnounceStop, ServiceStep::Accept},
    {"run", ServiceStep::Accept, ServiceStep::Accept},
    {"run-redirect", ServiceStep::Accept, ServiceStep::Accept},
    {"status", ServiceStep::Accept, ServiceStep::Usage},
    {"start-launchd", ServiceStep::Accept, ServiceStep::Accept},
};

}  // namespace

ServiceStep serviceStep(bool legacy, const std::optional<std::string>& action) {
  if (!action) return ServiceStep::Usage;
  for (const ServiceAction& entry : kServiceActions) {
    if (*action == entry.word) return legacy ? entry.legacy : entry.other;
  }
  return ServiceStep::Usage;
}

const char* usageFormat(bool legacy) {
  return legacy ? "Usage: %s {start|stop|run|run-redirect|status}\n"
                : "Usage: %s {start|stop|run|run-redirect}\n";
}

}  // namespace kvx
