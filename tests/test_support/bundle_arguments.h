// kvx-bundle's command line for the option tests: the options every run
// needs, then those under test, and the check that one is refused.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bundle/bundle_options.h"

namespace kvx::test {

inline std::vector<std::string> withRequired(std::vector<std::string> more) {
  std::vector<std::string> args = {"--name", "Hello", "--input", "in", "--dest", "out"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// kvx-bundle refuses args with exactly the line expected.
inline void expectRefused(const std::vector<std::string>& args, const std::string& expected) {
  std::string error;
  EXPECT_FALSE(bundle::parseBundleOptions(args, &error)) << expected;
  EXPECT_EQ(error, expected);
}

}  // namespace kvx::test
