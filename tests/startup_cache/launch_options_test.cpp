#include "startup_cache/launch_options.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

using Options = std::vector<std::string>;

TEST(DecidingOption, AnOptionAboutSharingWinsOverTheCache) {
  const char* deciding[] = {
      "-Xshare:off", "-Xshare:auto", "-Xshare:on", "-XX:SharedArchiveFile=/x.jsa",
      "-XX:ArchiveClassesAtExit=/x.jsa", "-XX:+AutoCreateSharedArchive", "-XX:-AutoCreateSharedArchive",
      "-XX:SharedClassListFile=/x.lst", "-XX:DumpLoadedClassList=/x.lst", "-XX:-UseSharedSpaces",
      "-XX:+RequireSharedSpaces", "-XX:AOTCache=/x.aot", "-XX:AOTMode=off", "-XX:AOTCacheOutput=/x.aot",
      "-XX:AOTConfiguration=/x.conf", "-XX:+AOTClassLinking",
  };
  for (const char* option : deciding) {
    EXPECT_EQ(decidingOption({"-Xmx1g", option, "-Dx=y"}, {}), option);
    EXPECT_EQ(decidingOption({"-Xmx1g"}, {option}), option) << "from a variable: " << option;
  }
  const char* others[] = {"-Xmx1g", "-XX:+UseSerialGC", "-Dshare=off", "-XX:SharedBaseAddress=0",
                          "-XX:MaxRAM=1g", "-Xss2m", "-XshareX"};
  for (const char* option : others) EXPECT_EQ(decidingOption({option}, {}), std::nullopt) << option;
}

TEST(ArgumentFileOption, AnyFileOfFurtherOptionsIsFound) {
  for (const char* option : {"@/etc/app.args", "-XX:VMOptionsFile=/etc/vm.opts", "-XX:Flags=/etc/.hotspotrc"}) {
    EXPECT_EQ(argumentFileOption({"-Xmx1g", option}), option);
  }
  EXPECT_EQ(argumentFileOption({"-Xmx1g", "-Dat=@x"}), std::nullopt);
}

TEST(EffectiveClassPath, TheLastOptionWinsThenTheVariableThenTheCurrentDirectory) {
  const struct {
    Options options;
    std::optional<std::string> variable;
    std::string expected;
  } cases[] = {
      {{}, std::nullopt, "."},
      {{}, "/env.jar", "/env.jar"},
      {{"-Djava.class.path=/a.jar"}, "/env.jar", "/a.jar"},
      {{"-Djava.class.path=/a.jar", "-cp", "/b.jar"}, std::nullopt, "/b.jar"},
      {{"-classpath", "/b.jar", "-Djava.class.path=/a.jar"}, std::nullopt, "/a.jar"},
      {{"--class-path", "/c.jar"}, std::nullopt, "/c.jar"},
      {{"--class-path=/d.jar:/e.jar"}, std::nullopt, "/d.jar:/e.jar"},
      // A dangling "-cp" gives nothing.
      {{"-cp"}, std::nullopt, "."},
  };
  for (const auto& c : cases) EXPECT_EQ(effectiveClassPath(c.options, c.variable), c.expected) << c.expected;
}

TEST(KeyedOptions, KeepWhatTheRuntimeChecksAndDropWhatItDoesNot) {
  Options options = {"-Dapp.theme=dark", "-Djdk.module.addmods=x", "-Djava.system.class.loader=L",
                     "-Djava.class.path=/a.jar", "-Xlog:gc", "-verbose:class", "-splash:/s.png",
                     "-cp", "/b.jar", "-p", "/mods", "--module-path=/mods2",
                     "-Xbootclasspath/a:/boot.jar", "-Xmx1g", "-XX:+UseSerialGC",
                     "--add-modules", "java.sql", "-javaagent:/agent.jar", "-ea"};
  EXPECT_EQ(keyedOptions(options),
            (Options{"-Djdk.module.addmods=x", "-Djava.system.class.loader=L", "-Xmx1g",
                     "-XX:+UseSerialGC", "--add-modules", "java.sql", "-javaagent:/agent.jar", "-ea"}));
}

TEST(SplitVariableOptions, SplitsAtWhiteSpaceOutsideQuotes) {
  EXPECT_EQ(splitVariableOptions("  -Xshare:off\t-Dname='two words' -Dq=\"x y\"  "),
            (Options{"-Xshare:off", "-Dname=two words", "-Dq=x y"}));
  EXPECT_EQ(splitVariableOptions(""), Options{});
  EXPECT_EQ(splitVariableOptions("''"), Options{""});
}

}  // namespace
}  // namespace kvx
