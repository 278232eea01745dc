// Variables written between "${" and "}" in configuration values and options
// files: the launcher's own first, then the environment's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "run/run_state.h"

namespace kvx {

// A substituted value may be this much longer than the text it came from, and
// no more. Real values grow by a few paths; a handful of variables that each
// name another several times would otherwise grow one option to gigabytes.
// Past the cap the start ends with a configuration error naming the variable.
inline constexpr size_t kMaxSubstitutionGrowth = size_t{1} << 20;
// The same for all the values of one pass together (SubstitutionPass), so
// that many lines each just under the cap cannot add up to gigabytes either.
// Real options files grow by kilobytes in all.
inline constexpr size_t kMaxSubstitutionGrowthInAll = size_t{64} << 20;

// The process environment as substitution reads it: each name once, with the
// value the system's own lookup gives (the first) and its place in the
// environment's order. Taking one walks the whole environment; looking a
// name up afterwards does not, so a caller that substitutes many texts while
// the environment stays as it is takes one and hands it to each call.
class EnvironmentVariables {
 public:
  struct Variable {
    std::string name;
    std::string value;
    size_t order = 0;
  };

  static EnvironmentVariables current();

  const Variable* find(std::string_view name) const;
  size_t longestName() const { return longestName_; }

 private:
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  std::unordered_map<std::string, Variable, NameHash, std::equal_to<>> byName_;
  size_t longestName_ = 0;
};

// What the many substitutions of one pass (all the options of a start, say)
// share: the environment, taken once while nothing changes it, and the growth
// they may still add together.
struct SubstitutionPass {
  EnvironmentVariables environment = EnvironmentVariables::current();
  size_t growthLeft = kMaxSubstitutionGrowthInAll;
};

// The text with every variable that has a value replaced; absent stays
// absent. javaBundlePath is the chosen runtime, absent before the search
// has found one (${launcher:sys.jvmHome} then stays as written). Throws a
// MessageError when the value would grow past kMaxSubstitutionGrowth.
OptString replaceVariables(const RunState& run, const OptString& javaBundlePath, const OptString& text);
// The same as one substitution of a pass: the growth is taken from what the
// pass has left as well.
OptString replaceVariables(const RunState& run, const OptString& javaBundlePath, const OptString& text,
                           SubstitutionPass& pass);

}  // namespace kvx
