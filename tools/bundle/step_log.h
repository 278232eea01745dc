// What --verbose shows: each step as it begins, then how long it took.
#pragma once

#include <chrono>
#include <string>

namespace kvx::bundle {

class StepLog {
 public:
  explicit StepLog(bool verbose) : verbose_(verbose) {}

  // A step under way; done() reports it finished.
  class Step {
   public:
    // Shows the time since the step began, and what it found when given.
    void done(const std::string& outcome = "");

   private:
    friend class StepLog;
    Step(const StepLog& log, std::string name);
    const StepLog& log_;
    std::string name_;
    std::chrono::steady_clock::time_point start_;
  };

  // Shows what begins now: its name and what it works on
  // ("jlink: /usr/lib/jvm/…/bin/jlink --add-modules …").
  Step begin(const std::string& name, const std::string& detail) const;
  // A line that is no step of its own (which JDK was chosen, and why).
  void note(const std::string& text) const;
  // A line shown with or without --verbose: something the packager should
  // act on, though the application was made.
  void warn(const std::string& text) const;
  bool verbose() const { return verbose_; }

 private:
  bool verbose_;
};

}  // namespace kvx::bundle
