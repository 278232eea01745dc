#include "run/variables.h"

#include <algorithm>

#include "base/exception.h"
#include "app_format/message_keys.h"
#include "java_runtime/runtime_layout.h"
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

// The home the runtime's own tools see: a nested jre when there is one.
std::string javaHome(const std::string& javaBundlePath) {
  std::string home = java_runtime::runtimeHome(javaBundlePath);
  std::string jre = platform::joinPath(home, "jre");
  return platform::fileExists(jre) ? jre : home;
}

// A variable found in a text: its whole "${…}" and the value that replaces it.
struct Found {
  std::string pattern;
  std::string value;
};

// What one text's substitution reads: the launcher's paths, the runtime,
// and the environment, the last taken only once a text needs it.
class Sources {
 public:
  Sources(const RunState& run, const OptString& javaBundlePath, SubstitutionPass* pass)
      : run_(run), javaBundlePath_(javaBundlePath), pass_(pass) {}

  // The variable whose "${" stands at open in text, if any has a value.
  std::optional<Found> at(std::string_view text, size_t open) {
    std::string_view rest = text.substr(open);
    if (std::optional<Found> found = launcherVariable(rest)) return found;
    return environmentVariable(rest);
  }

 private:
  std::optional<Found> launcherVariable(std::string_view rest) const {
    // The two directories are only absent before the launcher paths are fixed;
    // their variables then stay as written.
    const std::pair<std::string_view, std::optional<std::string> (Sources::*)() const> variables[] = {
        {"${launcher:sys.appRootDir}", &Sources::appRootDir},
        {"${launcher:kvx.appDir}", &Sources::appDir},
        {"${launcher:sys.mainBundle}", &Sources::mainBundle},
        {"${launcher:sys.launcherDirectory}", &Sources::launcherDirectory},
        {"${launcher:sys.pathlistSeparator}", &Sources::pathlistSeparator},
        {"${launcher:sys.tempDir}", &Sources::tempDir},
        {kJvmHome, &Sources::jvmHome},
    };
    for (const auto& [pattern, value] : variables) {
      if (!rest.starts_with(pattern)) continue;
      if (std::optional<std::string> text = (this->*value)()) return Found{std::string(pattern), std::move(*text)};
      return std::nullopt;
    }
    return std::nullopt;
  }

  std::optional<std::string> appRootDir() const { return run_.appRootDir; }
  // The application's own files: kvx.appDir below the application root, so
  // that one value names them in every layout a tool makes (a bundle keeps
  // them in the root, a tree with bin/ in lib/).
  std::optional<std::string> appDir() const {
    if (!run_.appRootDir) return std::nullopt;
    OptString below = run_.configString(config::kAppDir);
    if (!below || below->empty()) return run_.appRootDir;
    return platform::joinPath(*run_.appRootDir, *below);
  }
  std::optional<std::string> mainBundle() const { return run_.mainBundlePath.value_or(""); }
  std::optional<std::string> launcherDirectory() const { return run_.launcherDirInApp; }
  std::optional<std::string> pathlistSeparator() const { return ":"; }
  std::optional<std::string> tempDir() const { return platform::temporaryDirectory(); }
  // Looked up on the disk, so only for a text that names it; before the
  // search has found a runtime it stays as written.
  std::optional<std::string> jvmHome() const {
    if (!javaBundlePath_) return std::nullopt;
    return javaHome(*javaBundlePath_);
  }

  // A name may hold "}" itself: every "}" close enough to end a known name
  // counts, and of several the variable first in the environment's order wins.
  std::optional<Found> environmentVariable(std::string_view rest) {
    const EnvironmentVariables& environment = this->environment();
    const std::string_view window = rest.substr(2, environment.longestName() + 1);
    const Variable* first = nullptr;
    for (size_t close = window.find('}'); close != std::string_view::npos; close = window.find('}', close + 1)) {
      const Variable* named = environment.find(window.substr(0, close));
      if (named && (!first || named->order < first->order)) first = named;
    }
    if (!first) return std::nullopt;
    return Found{"${" + first->name + "}", first->value};
  }

  const EnvironmentVariables& environment() {
    if (pass_) return pass_->environment;
    if (!ownEnvironment_) ownEnvironment_ = EnvironmentVariables::current();
    return *ownEnvironment_;
  }

  const RunState& run_;
  const OptString& javaBundlePath_;
  SubstitutionPass* pass_;
  std::optional<EnvironmentVariables> ownEnvironment_;
};

// pass is null when the value belongs to none: the environment is then read
// here, and only if needed. The text is read once from left to right, and a
// value is inserted as it is: a path that holds "${" (an application
// installed under a folder named so) is never taken for variables again.
std::string substitute(const RunState& run, const OptString& javaBundlePath, const std::string& input,
                       SubstitutionPass* pass) {
  // Every variable begins so; most options name none.
  size_t open = input.find("${");
  if (open == std::string::npos) return input;
  const GrowthCap cap(input, pass ? std::optional<size_t>(pass->growthLeft) : std::nullopt);
  Sources sources(run, javaBundlePath, pass);
  std::string text;
  size_t copied = 0;
  for (; open != std::string::npos; open = input.find("${", open)) {
    std::optional<Found> found = sources.at(input, open);
    if (!found) {
      ++open;
      continue;
    }
    text.append(input, copied, open - copied);
    // Checked before each value is added, so the cap bounds the memory too.
    const size_t after = open + found->pattern.size();
    cap.check(text.size() + found->value.size() + (input.size() - after), found->pattern);
    text += found->value;
    copied = open = after;
  }
  text.append(input, copied, std::string::npos);
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
