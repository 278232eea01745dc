#include "run/variables.h"

#include <algorithm>

#include "base/exception.h"
#include "base/message_keys.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

using Variable = EnvironmentVariables::Variable;

constexpr std::string_view kJvmHome = "${launcher:sys.jvmHome}";

// How much of the offending value a message quotes.
constexpr size_t kQuotedLength = 200;

// Holds one value's growth under its limit while its variables are
// replaced, and names the variable that would take it past.
class GrowthCap {
 public:
  // passLeft: what the value's pass may still add, when it belongs to one.
  GrowthCap(const std::string& input, std::optional<size_t> passLeft)
      : input_(input),
        allowed_(std::min(kMaxSubstitutionGrowth, passLeft.value_or(kMaxSubstitutionGrowth))),
        limitedByPass_(allowed_ < kMaxSubstitutionGrowth) {}

  void check(size_t size, std::string_view pattern) const {
    if (size <= input_.size() + allowed_) return;
    std::string quoted = input_.substr(0, kQuotedLength);
    if (quoted.size() < input_.size()) quoted += "...";
    const std::string variable = "the variable " + std::string(pattern);
    throw MessageError(kConfigurationErrorKey,
                       limitedByPass_
                           ? variable + " in \"" + quoted + "\" makes the substituted values grow by more than " +
                                 std::to_string(kMaxSubstitutionGrowthInAll >> 20) + " MiB in all"
                           : variable + " makes \"" + quoted + "\" grow by more than " +
                                 std::to_string(kMaxSubstitutionGrowth >> 20) + " MiB when it is substituted");
  }

 private:
  const std::string& input_;
  size_t allowed_;
  bool limitedByPass_;
};

// Every occurrence, left to right, without overlap; the replacement is not
// searched again.
void replaceAll(std::string& text, std::string_view pattern, std::string_view replacement,
                const GrowthCap& cap) {
  size_t pos = text.find(pattern);
  if (pos == std::string::npos) return;
  std::string result;
  size_t start = 0;
  for (; pos != std::string::npos; pos = text.find(pattern, start)) {
    result.append(text, start, pos - start);
    // Checked before each piece is added, so the cap bounds the memory too.
    cap.check(result.size() + replacement.size() + (text.size() - pos - pattern.size()), pattern);
    result.append(replacement);
    start = pos + pattern.size();
  }
  result.append(text, start, std::string::npos);
  text = std::move(result);
}

// The home the runtime's own tools see: a nested jre when there is one.
std::string javaHome(const std::string& javaBundlePath) {
  std::string home = platform::runtimeHome(javaBundlePath);
  std::string jre = platform::joinPath(home, "jre");
  return platform::fileExists(jre) ? jre : home;
}

// Of the environment variables text names, the one that comes first in the
// environment's order, counting from position `from` of that order.
const Variable* firstNamedFrom(std::string_view text, const EnvironmentVariables& environment,
                               size_t from) {
  const Variable* first = nullptr;
  for (size_t open = text.find("${"); open != std::string_view::npos; open = text.find("${", open + 1)) {
    // A name may hold "}" itself: every "}" close enough to end a known name counts.
    const size_t nameStart = open + 2;
    const std::string_view window = text.substr(nameStart, environment.longestName() + 1);
    for (size_t close = window.find('}'); close != std::string_view::npos; close = window.find('}', close + 1)) {
      const Variable* named = environment.find(window.substr(0, close));
      if (named && named->order >= from && (!first || named->order < first->order)) first = named;
    }
  }
  return first;
}

// The same outcome as replacing each variable of the environment in its
// order, where text brought in by one is open to the later ones only; but
// the work grows with the variables the text names, not with the
// environment's size.
void replaceEnvironmentVariables(std::string& text, const EnvironmentVariables& environment,
                                 const GrowthCap& cap) {
  size_t from = 0;
  while (const Variable* next = firstNamedFrom(text, environment, from)) {
    replaceAll(text, "${" + next->name + "}", next->value, cap);
    from = next->order + 1;
  }
}

// pass is null when the value belongs to none: the environment is then read
// here, and only if needed.
std::string substitute(const RunState& run, const OptString& javaBundlePath, const std::string& input,
                       SubstitutionPass* pass) {
  // Every variable begins so; most options name none.
  if (input.find("${") == std::string::npos) return input;
  const GrowthCap cap(input, pass ? std::optional<size_t>(pass->growthLeft) : std::nullopt);
  std::string text = input;
  // The two directories are only absent before the launcher paths are fixed;
  // their variables then stay as written.
  if (run.appRootDir) replaceAll(text, "${launcher:sys.appRootDir}", *run.appRootDir, cap);
  replaceAll(text, "${launcher:sys.mainBundle}", run.mainBundlePath.value_or(""), cap);
  if (run.launcherDirInApp) replaceAll(text, "${launcher:sys.launcherDirectory}", *run.launcherDirInApp, cap);
  replaceAll(text, "${launcher:sys.pathlistSeparator}", ":", cap);
  if (OptString tempDir = platform::temporaryDirectory()) {
    replaceAll(text, "${launcher:sys.tempDir}", *tempDir, cap);
  }
  // The runtime's home is looked up on the disk, so only for a text that names it.
  if (javaBundlePath && text.find(kJvmHome) != std::string::npos) {
    replaceAll(text, kJvmHome, javaHome(*javaBundlePath), cap);
  }
  // Nothing more can match without "${"; the environment need not be read.
  if (text.find("${") != std::string::npos) {
    if (pass) {
      replaceEnvironmentVariables(text, pass->environment, cap);
    } else {
      replaceEnvironmentVariables(text, EnvironmentVariables::current(), cap);
    }
  }
  if (pass && text.size() > input.size()) pass->growthLeft -= text.size() - input.size();
  return text;
}

}  // namespace

EnvironmentVariables EnvironmentVariables::current() {
  EnvironmentVariables variables;
  size_t order = 0;
  for (auto& [name, value] : platform::environment()) {
    // A name listed twice has the value the system's lookup gives: the first.
    if (variables.byName_.contains(name)) continue;
    variables.longestName_ = std::max(variables.longestName_, name.size());
    std::string key = name;
    variables.byName_.emplace(std::move(key), Variable{std::move(name), std::move(value), order++});
  }
  return variables;
}

const Variable* EnvironmentVariables::find(std::string_view name) const {
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : &it->second;
}

// Both forms trace under their own names, as every caller's line does.
OptString replaceVariables(const RunState& run, const OptString& javaBundlePath, const OptString& input) {
  if (!input) return std::nullopt;
  KVX_TRACE("replacing %@", input->c_str());
  std::string text = substitute(run, javaBundlePath, *input, nullptr);
  KVX_TRACE("returning %@", text.c_str());
  return text;
}

OptString replaceVariables(const RunState& run, const OptString& javaBundlePath, const OptString& input,
                           SubstitutionPass& pass) {
  if (!input) return std::nullopt;
  KVX_TRACE("replacing %@", input->c_str());
  std::string text = substitute(run, javaBundlePath, *input, &pass);
  KVX_TRACE("returning %@", text.c_str());
  return text;
}

}  // namespace kvx
