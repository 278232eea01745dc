#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exception.h"
#include "params/java_parameters.h"
#include "params/options_pass.h"
#include "run/diagnostic_log.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::writeFile;

const std::string kFixtures = std::string(KVX_SOURCE_DIR) + "/tests/fixtures/options";

std::string fixture(const std::string& name) { return kFixtures + "/" + name; }

struct ReadResult {
  StringList options;
  OptString classPath;
};

ReadResult readFile(const OptString& path, OptString classPath = std::nullopt) {
  RunState run;
  const RuntimeChoice noRuntime;
  ReadResult result;
  result.classPath = JavaParameters(run, noRuntime).readOptionsFile(path, result.options, std::move(classPath));
  return result;
}

// Trace lines written while it lives, whatever KESTROVEL_LOG says.
class TraceCapture {
 public:
  TraceCapture() : saved_(logStatus) {
    logStatus = 1;
    testing::internal::CaptureStderr();
  }
  ~TraceCapture() { logStatus = saved_; }
  std::string text() { return testing::internal::GetCapturedStderr(); }

 private:
  int32_t saved_;
};

TEST(OptionsFile, LineEndsCommentsAndBlanksReadAlike) {
  const StringList expected = {
      "-Xmx512m",
      "-Dremark=value # trailing remark",
      "-Dwide=blank",  // ideographic space, no-break space, thin space trimmed
      "-Dzero-width=kept\u200b",  // a format character is not a blank
      "-classpath",               // not a directive once its blank is trimmed
      "-Dlast=end",               // no final line break
  };
  for (const char* name : {"format_lf.vmoptions", "format_crlf.vmoptions", "format_cr.vmoptions"}) {
    SCOPED_TRACE(name);
    ReadResult result = readFile(fixture(name));
    EXPECT_EQ(result.options, expected);
    EXPECT_EQ(result.classPath, std::nullopt);
  }
  // Editors that save UTF-8 with a byte-order mark must not spoil the first option.
  EXPECT_EQ(readFile(fixture("byte_order_mark.vmoptions")).options, (StringList{"-Dfirst=1"}));
}

TEST(OptionsFile, ClassPathDirectives) {
  struct Case {
    const char* file;
    OptString start;
    OptString expected;
  };
  const Case cases[] = {
      {"classpath_edit.vmoptions", "old", "/p2:/p1:old:/a1:/a2"},
      {"classpath_edit.vmoptions", std::nullopt, "/p2:/p1:/a1:/a2"},
      {"classpath_edit.vmoptions", "", "/p2:/p1::/a1:/a2"},
      // A later "-classpath " discards everything before it; a second blank
      // after a directive belongs to the value.
      {"classpath_replace.vmoptions", "old", "/only: /spaced"},
      {"classpath_replace.vmoptions", std::nullopt, "/only: /spaced"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " from " + c.start.value_or("(absent)"));
    ReadResult result = readFile(fixture(c.file), c.start);
    EXPECT_EQ(result.classPath, c.expected);
    EXPECT_TRUE(result.options.empty());
  }
}

TEST(OptionsFile, UnreadableFilesContributeNothing) {
  TempDir dir;
  const OptString paths[] = {
      std::nullopt,
      dir / "missing.vmoptions",
      dir.path(),  // a directory
      fixture("not_utf8.vmoptions"),  // its valid lines are not taken either
  };
  for (const OptString& path : paths) {
    SCOPED_TRACE(path.value_or("(absent)"));
    ReadResult absentStart = readFile(path);
    EXPECT_TRUE(absentStart.options.empty());
    EXPECT_EQ(absentStart.classPath, std::nullopt);
    EXPECT_EQ(readFile(path, "kept").classPath, "kept");
  }
}

TEST(OptionsFile, IncludesAreReadInPlaceRelativeToTheIncludingFile) {
  ReadResult result = readFile(fixture("include_main.vmoptions"), "cp");
  EXPECT_EQ(result.options,
            (StringList{"-Dbefore=1", "-Dinner=1", "-Ddeeper=1", "-Dspaced=1", "-Dafter=1"}));
  EXPECT_EQ(result.classPath, "cp:inner.jar");
}

TEST(OptionsFile, IncludeCyclesAreCutAndTraced) {
  TraceCapture trace;
  ReadResult cycle = readFile(fixture("cycle_a.vmoptions"));
  ReadResult self = readFile(fixture("self.vmoptions"));
  // The same file twice in a row is no cycle and is read twice.
  ReadResult twice = readFile(fixture("twice.vmoptions"));
  std::string log = trace.text();

  EXPECT_EQ(cycle.options, (StringList{"-Da=1", "-Db=1", "-Db=2", "-Da=2"}));
  EXPECT_EQ(self.options, (StringList{"-Dself=1", "-Dself=2"}));
  EXPECT_EQ(twice.options, (StringList{"-Ddeeper=1", "-Ddeeper=1"}));
  EXPECT_NE(log.find("option file " + fixture("cycle_a.vmoptions") + " is already being read"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("option file " + fixture("./self.vmoptions") + " is already being read"),
            std::string::npos)
      << log;
}

TEST(OptionsFile, ChainOfDistinctIncludesIsBounded) {
  TempDir dir;
  const int files = 500;
  for (int i = 0; i < files; ++i) {
    writeFile(dir / ("f" + std::to_string(i)),
              "-Dn=" + std::to_string(i) + "\n-include-options f" + std::to_string(i + 1) + "\n");
  }
  TraceCapture trace;
  ReadResult result = readFile(dir / "f0");
  std::string log = trace.text();
  ASSERT_EQ(result.options.size(), 64u);
  EXPECT_EQ(result.options.back(), "-Dn=63");
  EXPECT_NE(log.find("option file " + dir / "f64 is nested too deeply"), std::string::npos);
}

// Level i adds an option and a class path entry and includes level i + 1
// twice; the last level prepends to the class path.
struct FanOut {
  StringList options;
  std::string classPath;

  void expand(int level, int levels) {
    if (level == levels) {
      options.push_back("-Dleaf");
      classPath = "p:" + classPath;
      return;
    }
    options.push_back("-Dlevel=" + std::to_string(level));
    classPath += ":c" + std::to_string(level);
    expand(level + 1, levels);
    expand(level + 1, levels);
  }
};

// Every copy of a file included again still counts, in its place; only the
// reading is done once.
TEST(OptionsFile, RepeatedIncludesKeepEveryCopyButReadEachFileOnce) {
  TempDir dir;
  const int levels = 10;
  for (int i = 0; i < levels; ++i) {
    const std::string next = "f" + std::to_string(i + 1);
    writeFile(dir / ("f" + std::to_string(i)), "-Dlevel=" + std::to_string(i) + "\n-classpath/a c" +
                                                  std::to_string(i) + "\n-include-options " + next +
                                                  "\n-include-options ./" + next + "\n");
  }
  writeFile(dir / ("f" + std::to_string(levels)), "-Dleaf\n-classpath/p p\n");
  FanOut expected{{}, "start"};
  expected.expand(0, levels);

  TraceCapture trace;
  ReadResult result = readFile(dir / "f0", "start");
  std::string log = trace.text();

  EXPECT_EQ(result.options, expected.options);
  EXPECT_EQ(result.classPath, expected.classPath);
  for (int i = 0; i <= levels; ++i) {
    const std::string read = "] read options file " + dir / ("f" + std::to_string(i)) + "\n";
    EXPECT_NE(log.find(read), std::string::npos) << read;
    EXPECT_EQ(log.find(read), log.rfind(read)) << read << " more than once";
  }
}

// Includes that would take a pass past its budget are skipped; the lines
// around them are still read.
TEST(OptionsFile, IncludesPastThePassBudgetAreSkipped) {
  TempDir dir;
  std::string big = "-Dbig\n";
  const std::string comment = "#" + std::string(4094, 'x') + "\n";
  while (big.size() + comment.size() <= (size_t{4} << 20)) big += comment;
  writeFile(dir / "big", big);
  std::string main = "-Dfirst\n";
  for (int i = 0; i < 40; ++i) main += "-include-options big\n";
  main += "-Dlast\n";
  writeFile(dir / "main", main);

  ReadResult result = readFile(dir / "main");
  ASSERT_GE(result.options.size(), 2u);
  EXPECT_EQ(result.options.front(), "-Dfirst");
  EXPECT_EQ(result.options.back(), "-Dlast");
  EXPECT_EQ(result.options.size() - 2, (kOptionTextPerPass - main.size()) / big.size());
}

// Many values each under the cap for one value may not add up without bound.
TEST(OptionsFile, SubstitutionGrowthIsBoundedForThePassAsAWhole) {
  TempDir dir;
  ScopedEnv large("KVX_TEST_LARGE", std::string(kMaxSubstitutionGrowth, 'v'));
  std::string lines;
  for (int i = 0; i < 70; ++i) lines += "-Dv" + std::to_string(i) + "=${KVX_TEST_LARGE}\n";
  writeFile(dir / "large.vmoptions", lines);
  try {
    readFile(dir / "large.vmoptions");
    ADD_FAILURE() << "no error";
  } catch (const MessageError& e) {
    EXPECT_EQ(e.key(), "kvx.ConfigurationError");
    // 64 MiB in all, less what the pattern took, is reached at the 65th line.
    EXPECT_EQ(e.info1(), "the variable ${KVX_TEST_LARGE} in \"-Dv64=${KVX_TEST_LARGE}\" makes the substituted "
                         "values grow by more than 64 MiB in all");
  }
}

TEST(OptionsFile, IncludeQuotesAreRemovedOnlyAsAPair) {
  TempDir dir;
  for (const char* name : {"\"", "\"x", "x\"", "a b"}) {
    writeFile(dir / name, std::string("-Dread=") + name);
  }
  struct Case {
    const char* line;
    StringList expected;
  };
  const Case cases[] = {
      {"-include-options \"a b\"", {"-Dread=a b"}},
      {"-include-options \"", {"-Dread=\""}},
      {"-include-options \"x", {"-Dread=\"x"}},
      {"-include-options x\"", {"-Dread=x\""}},
      {"-include-options \"\"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    writeFile(dir / "main.vmoptions", c.line);
    EXPECT_EQ(readFile(dir / "main.vmoptions").options, c.expected);
  }
}

TEST(OptionsFile, TildeStandsForHomeAnywhereInThePath) {
  TempDir dir;
  const std::string home = dir / "home";
  ScopedEnv homeEnv("HOME", home);
  writeFile(home + "/start.vmoptions", "-Dstart=1\n-include-options ~/included.vmoptions\n");
  writeFile(home + "/included.vmoptions", "-Dincluded=1\n");
  writeFile(dir / "mid" + home + "/middle.vmoptions", "-Dmiddle=1\n");

  EXPECT_EQ(readFile("~/start.vmoptions").options, (StringList{"-Dstart=1", "-Dincluded=1"}));
  EXPECT_EQ(readFile(dir / "mid~/middle.vmoptions").options, (StringList{"-Dmiddle=1"}));
}

TEST(OptionsFile, SubstitutionComesBeforeTheLineIsClassified) {
  ScopedEnv directory("KVX_TEST_DIR", kFixtures);
  ScopedEnv directive("KVX_TEST_DIRECTIVE", "-classpath/a");
  ScopedEnv empty("KVX_TEST_EMPTY", "");
  ScopedEnv value("KVX_TEST_VALUE", "v");
  ReadResult result = readFile("${KVX_TEST_DIR}/substituted.vmoptions", "old");
  // A line that is empty only after substitution is still an option.
  EXPECT_EQ(result.options, (StringList{"", "-Dhome=v"}));
  EXPECT_EQ(result.classPath, "old:/from-variable");
}

TEST(PredefinedOptions, ElementsAreOptionsUnlessTheyIncludeAFile) {
  TempDir dir;
  writeFile(dir / "rel.vmoptions", "-Drel=1\n-classpath/a rel.jar\n");
  writeFile(dir / "sub dir/quoted.vmoptions", "-Dquoted=1\n");
  writeFile(dir / "abs/abs.vmoptions", "-Dabs=1\n");
  const StringList list = {
      "-Xss1m",
      "",
      "# not a comment",
      "-classpath /not-a-directive",
      "-include-options rel.vmoptions",
      " -include-options untrimmed",
      "-include-options \"sub dir/quoted.vmoptions\"",
      "-include-options " + dir / "abs/abs.vmoptions",
  };
  RunState run;
  run.launcherDirInApp = dir.path();
  const RuntimeChoice noRuntime;
  // Each call is a pass of its own, as each option source's is.
  auto parameters = [&] { return JavaParameters(run, noRuntime); };
  StringList options;
  OptString classPath = parameters().addPredefinedOptions(list, options, "cp");
  EXPECT_EQ(options, (StringList{"-Xss1m", "", "# not a comment", "-classpath /not-a-directive",
                                 "-Drel=1", " -include-options untrimmed", "-Dquoted=1",
                                 "-Dabs=1"}));
  EXPECT_EQ(classPath, "cp:rel.jar");

  StringList untouched;
  EXPECT_EQ(parameters().addPredefinedOptions(std::nullopt, untouched, std::nullopt), std::nullopt);
  EXPECT_EQ(parameters().addPredefinedOptions(std::nullopt, untouched, "kept"), "kept");
  EXPECT_TRUE(untouched.empty());
}

TEST(PredefinedOptions, IncludeIsRecognisedBeforeSubstitution) {
  TempDir dir;
  ScopedEnv directive("KVX_TEST_DIRECTIVE", "-include-options");
  ScopedEnv file("KVX_TEST_FILE", "named.vmoptions");
  writeFile(dir / "named.vmoptions", "-Dnamed=1\n");
  RunState run;
  run.launcherDirInApp = dir.path();
  const RuntimeChoice noRuntime;
  StringList options;
  JavaParameters(run, noRuntime).addPredefinedOptions(
      StringList{"${KVX_TEST_DIRECTIVE} named.vmoptions", "-include-options ${KVX_TEST_FILE}"},
      options, std::nullopt);
  EXPECT_EQ(options, (StringList{"-include-options named.vmoptions", "-Dnamed=1"}));
}

}  // namespace
}  // namespace kvx
