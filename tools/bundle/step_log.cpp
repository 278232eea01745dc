#include "step_log.h"

#include <cstdio>

namespace kvx::bundle {

StepLog::Step::Step(const StepLog& log, std::string name)
    : log_(log), name_(std::move(name)), start_(std::chrono::steady_clock::now()) {}

void StepLog::Step::done(const std::string& outcome) {
  if (!log_.verbose_) return;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  (void)fprintf(stderr, "kvx-bundle: %s took %.2f s%s%s\n", name_.c_str(), seconds,
                outcome.empty() ? "" : ": ", outcome.c_str());
}

StepLog::Step StepLog::begin(const std::string& name, const std::string& detail) const {
  note(name + ": " + detail);
  return Step(*this, name);
}

void StepLog::note(const std::string& text) const {
  if (verbose_) (void)fprintf(stderr, "kvx-bundle: %s\n", text.c_str());
}

void StepLog::warn(const std::string& text) const { (void)fprintf(stderr, "kvx-bundle: warning: %s\n", text.c_str()); }

}  // namespace kvx::bundle
