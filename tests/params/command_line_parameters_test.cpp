#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/java_parameters.h"

namespace kvx {
namespace {

using List = std::vector<std::string>;

TEST(CommandLineParameters, HandsArgumentsOn) {
  struct Case {
    const char* name;
    List arguments;
    bool allow;
    List options;
    List args;
  };
  const Case cases[] = {
      {"program path only", {"/opt/foo"}, true, {}, {}},
      {"no arguments at all", {}, true, {}, {}},
      {"passthrough allowed",
       {"/opt/foo", "-J-Xmx2g", "-J", "-j-Xmx2g", "-J-jvm=/r", "-jvm=/s", "file"},
       true,
       {"-Xmx2g", "", "-jvm=/r"},
       {"-j-Xmx2g", "-jvm=/s", "file"}},
      {"passthrough not allowed",
       {"/opt/foo", "-J-Xmx2g", "-J"},
       false,
       {},
       {"-J-Xmx2g", "-J"}},
      {"serial number first is dropped", {"/opt/foo", "-psn_0_12345", "a"}, true, {}, {"a"}},
      {"serial number later is an argument",
       {"/opt/foo", "a", "-psn_0_12345", "-psn_0_1"},
       true,
       {},
       {"a", "-psn_0_12345", "-psn_0_1"}},
      {"program path that looks like a serial number", {"-psn_0_1", "-psn_0_2"}, true, {}, {}},
      {"handed on byte for byte",
       {"/opt/foo", "${HOME}", " \"quoted\" ", "", "caf\xE9", "-J ${HOME}"},
       true,
       {" ${HOME}"},
       {"${HOME}", " \"quoted\" ", "", "caf\xE9"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List options = {"-Dexisting"};
    List args = {"existing"};
    appendCommandLineParameters(c.arguments, c.allow, options, args);
    List expectedOptions = {"-Dexisting"};
    expectedOptions.insert(expectedOptions.end(), c.options.begin(), c.options.end());
    List expectedArgs = {"existing"};
    expectedArgs.insert(expectedArgs.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(options, expectedOptions);
    EXPECT_EQ(args, expectedArgs);
  }
}

}  // namespace
}  // namespace kvx
