#include "entry/service_actions.h"

#include "platform/process.h"
#include "platform/program.h"

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

bool daemon_compat(int nochdir, int noclose, std::string* error) {
  switch (platform::detachAsDaemon(nochdir, noclose, error)) {
    case platform::DetachSide::Parent: platform::endProcessAtOnce(0);
    case platform::DetachSide::Daemon: return true;
    case platform::DetachSide::Failed: return false;
  }
  return false;
}

const char* usageFormat(bool legacy) {
  return legacy ? "Usage: %s {start|stop|run|run-redirect|status}\n"
                : "Usage: %s {start|stop|run|run-redirect}\n";
}

}  // namespace kvx
