// A start that finds no acceptable runtime, traced with KESTROVEL_LOG=yes:
// the trace alone must tell a person every runtime tried and why each was
// refused, and which options files were read and which were missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/app_bundle.h"
#include "test_support/run_program.h"
#include "test_support/runtime_fixtures.h"
#include "test_support/temp_dir.h"

namespace kvx::test {
namespace {

TEST(TraceOfAFailedStart, NamesEveryRuntimeTriedWithItsReasonAndEveryOptionsFile) {
  TempDir dir;
  makeVersionedBundle(dir / "old.jdk", "17.0.15");
  makeVersionedBundle(dir / "new.jdk", "25.0.1");
  makeVersionedBundle(dir / "beta.jdk", "21-ea");
  const std::string version = "21.0.2";
  makeRuntimeBundle(dir / "foreign.jdk", xmlPlist(runtimeInfoBody(&version)), foreignExecutable());
  makeRuntimeBundle(dir / "unversioned.jdk", xmlPlist(runtimeInfoBody(nullptr)));
  makePlainHome(dir / "plain-home", "11.0.2");
  writeFile(dir / "not-a-directory.jdk", "");

  std::vector<std::string> sequence;
  for (const char* name : {"old.jdk", "new.jdk", "beta.jdk", "foreign.jdk", "unversioned.jdk",
                           "missing.jdk", "plain-home", "not-a-directory.jdk"}) {
    sequence.push_back("R" + dir / name);
  }
  sequence.push_back("EKVX_TRACE_TEST_UNSET");
  sequence.push_back("I");
  sequence.push_back("e-lower-case");
  AppBundle app = layOutApp(
      dir.path(), "Foo",
      dict({{"kvx.minVersion", str("21")},
            {"kvx.maxVersion", str("22")},
            {"JavaVM", dict({{"MainClass", str("Main")}, {"SearchSequence", strings(sequence)}})}}));
  writeFile(dir / "Foo.vmoptions", "-Xmx1g\n-include-options extra/missing.vmoptions\n");

  RunOptions options;
  options.env = {{"KESTROVEL_LOG", "yes"}, {"KVX_TRACE_TEST_UNSET", std::nullopt}};
  ProgramResult result = runProgram(app.executable, {}, options);
  EXPECT_EQ(result.status, 1);

  const std::vector<std::string> expected = {
      "no options file at " + app.path + "/Contents/vmoptions.txt",
      "read options file " + dir / "Foo.vmoptions",
      "no options file at " + dir / "extra/missing.vmoptions",
      "refused " + dir / "old.jdk: version 17.0.15 below minimum 21",
      "refused " + dir / "new.jdk: version 25.0.1 above maximum 22",
      "refused " + dir / "beta.jdk: pre-release not allowed",
      "refused " + dir / "foreign.jdk: executable holds no code for this processor",
      "refused " + dir / "unversioned.jdk: no version in its Info.plist",
      "nothing at " + dir / "missing.jdk",
      "refused " + dir / "plain-home: version 11.0.2 below minimum 21",
      "refused " + dir / "not-a-directory.jdk: not a directory",
      "environment variable KVX_TRACE_TEST_UNSET is not set",
      "no kvx.appId configured: earlier installations are not looked up",
      "search entry e-lower-case names no kind of place",
      "no runtime accepted: minimum 21, maximum 22, pre-releases refused",
  };
  // In this order: the trace reads as the story of the search.
  size_t from = 0;
  for (const std::string& line : expected) {
    size_t at = result.err.find(line, from);
    ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n" << result.err;
    from = at + line.size();
  }
}

}  // namespace
}  // namespace kvx::test
