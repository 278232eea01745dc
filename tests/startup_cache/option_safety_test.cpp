#include "startup_cache/option_safety.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using Options = std::vector<std::string>;

TEST(OptionSafety, OnlyOptionsKnownToBeHarmlessAllowTheCache) {
  const struct {
    Options options;
    int major;
    bool allowed;
  } cases[] = {
      {{"-Dapp.home=/opt/app", "-Xss2m", "-Xms64m", "-ea", "-da:com.x...", "-splash:/s.png"}, 17, true},
      {{"-Xmx1k"}, 25, true},
      {{"-Xlog:gc*:file=gc.log", "-Xlog:safepoint=info", "-Xlog:disable", "-verbose:gc"}, 25, true},
      {{"--add-opens", "java.base/java.lang=ALL-UNNAMED", "--add-exports=java.base/sun.nio.ch=ALL-UNNAMED"}, 25, true},
      {{"-cp", "/a.jar", "-Djava.class.path=/b.jar", "--class-path=/c.jar"}, 17, true},
      {{"-javaagent:/agent.jar", "-XX:StartFlightRecording:filename=r.jfr"}, 17, true},
      {{"-javaagent:/agent.jar"}, 25, false},
      {{"-XX:StartFlightRecording:filename=r.jfr"}, 25, false},
      {{"--patch-module=java.base=/patch"}, 17, false},
      {{"-XX:-UseCompressedClassPointers"}, 17, false},
      {{"-XX:MaxMetaspaceSize=8m"}, 17, false},
      {{"-Xbootclasspath/a:/x.jar"}, 17, false},
      {{"-Djava.system.class.loader=app.Loader"}, 17, false},
      {{"-Djdk.module.addmods=java.sql"}, 17, false},
      {{"-Xlog"}, 17, false},
      {{"-Xlog:class+load"}, 17, false},
      {{"-Xlog:gc,cds=info"}, 25, false},
      {{"-Xlog:all=warning:stderr"}, 25, false},
      {{"-verbose:class"}, 17, false},
      {{"-XX:+UseZGC"}, 17, false},
      {{"-p", "/mods"}, 17, false},
      {{"--add-opens"}, 17, false},
      {{"-XX:+IgnoreUnrecognizedVMOptions"}, 17, false},
  };
  for (const auto& c : cases) {
    std::optional<std::string> unknown = unknownOption(c.options, {}, c.major);
    EXPECT_EQ(!unknown.has_value(), c.allowed) << c.options.front() << " on " << c.major;
  }
}

TEST(OptionSafety, TheRuntimesVariablesMayHoldOnlyWhatTheBuildNeedNotSee) {
  EXPECT_EQ(unknownOption({}, {"-Dx=1", "-Xss1m"}, 17), std::nullopt);
  EXPECT_EQ(unknownOption({}, {"-Xmx2g"}, 17), "-Xmx2g");
  EXPECT_EQ(unknownOption({}, {"-cp", "/a.jar"}, 17), "-cp");
}

TEST(OptionSafety, TheBuildGetsWhatShapesTheArchiveAndNothingElse) {
  Options options{"-Dx=1", "-Xmx2g", "--add-opens", "java.base/java.lang=ALL-UNNAMED", "-cp", "/a.jar",
                  "-XX:+UseSerialGC", "-Xlog:gc:file=gc.log", "--enable-native-access=ALL-UNNAMED",
                  "-XX:StartFlightRecording"};
  EXPECT_EQ(archiveShapingOptions(options, 17),
            (Options{"-Xmx2g", "--add-opens", "java.base/java.lang=ALL-UNNAMED", "-XX:+UseSerialGC",
                     "--enable-native-access=ALL-UNNAMED"}));
}

}  // namespace
}  // namespace kvx
