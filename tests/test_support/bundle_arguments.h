// kvx-bundle's command line for the option tests: the options every run
// needs, then those under test.
#pragma once

#include <string>
#include <vector>

namespace kvx::test {

inline std::vector<std::string> withRequired(std::vector<std::string> more) {
  std::vector<std::string> args = {"--name", "Hello", "--input", "in", "--dest", "out"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

}  // namespace kvx::test
