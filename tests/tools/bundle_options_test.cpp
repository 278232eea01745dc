#include "bundle/bundle_options.h"
#include "bundle/help_text.h"
#include "test_support/bundle_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvx::bundle {
namespace {

using Args = std::vector<std::string>;

// Every option the parser reads has its explanation in the help: a line of
// its own, or a place in a line that names several.
TEST(BundleHelp, ExplainsEveryOptionOfTheOptionTable) {
  const std::string help = kHelp;
  std::vector<std::string_view> names = bundleOptionNames();
  ASSERT_FALSE(names.empty());
  for (std::string_view name : names) {
    const std::string entry = std::string(name) + " ";
    const bool ownLine = help.find("\n  " + entry) != std::string::npos;
    const bool shared = help.find(", " + entry) != std::string::npos;
    EXPECT_TRUE(ownLine || shared) << name;
  }
  EXPECT_NE(help.find("\n  @FILE "), std::string::npos);
}

using test::withRequired;

TEST(BundleOptions, ValuesFollowOrJoinTheirOptionAndRepeatsKeepTheirOrder) {
  std::string error;
  std::optional<BundleOptions> o = parseBundleOptions(
      withRequired({"--type=cli", "--java-options", "-Xmx1g", "--java-options=-Da=b=c", "--arguments", "--first",
                    "--add-modules", "java.sql,jdk.localedata", "--add-modules=jdk.zipfs", "--verbose",
                    "--main-jar", "app.jar"}),
      &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->type, BundleType::Cli);
  EXPECT_EQ(o->javaOptions, (Args{"-Xmx1g", "-Da=b=c"}));
  EXPECT_EQ(o->arguments, Args{"--first"});
  EXPECT_EQ(o->addModules, (Args{"java.sql", "jdk.localedata", "jdk.zipfs"}));
  EXPECT_EQ(o->runtime, RuntimeSource::Jlink);
  EXPECT_EQ(o->mainJar, "app.jar");
  EXPECT_TRUE(o->verbose);
  EXPECT_TRUE(o->startupCache);
  std::optional<BundleOptions> noCache = parseBundleOptions(withRequired({"--no-startup-cache"}), &error);
  ASSERT_TRUE(noCache) << error;
  EXPECT_FALSE(noCache->startupCache);

  std::optional<BundleOptions> image = parseBundleOptions(withRequired({"--runtime-image", "jre"}), &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->runtime, RuntimeSource::Image);
  std::optional<BundleOptions> help = parseBundleOptions({"--help"}, &error);
  ASSERT_TRUE(help) << error;
  EXPECT_TRUE(help->help);
  std::optional<BundleOptions> version = parseBundleOptions({"--version"}, &error);
  ASSERT_TRUE(version) << error;
  EXPECT_TRUE(version->version);
  // Paths are only read and written, never stored: they may be any bytes.
  std::optional<BundleOptions> oddPaths =
      parseBundleOptions({"--name", "Caf\xc3\xa9", "--input", "in\xff", "--dest", "out\xfe"}, &error);
  ASSERT_TRUE(oddPaths) << error;
}

TEST(BundleOptions, EachMistakeIsOneLineNamingTheOption) {
  struct Case {
    Args args;
    const char* error;
  } cases[] = {
      {{"--input", "in", "--dest", "out"}, "--name is required (see kvx-bundle --help)"},
      {{"--name", "Hello", "--dest", "out"}, "--input is required (see kvx-bundle --help)"},
      {withRequired({"--frobnicate"}), "unknown option --frobnicate (see kvx-bundle --help)"},
      {withRequired({"stray"}), "unexpected argument \"stray\" (options begin with --)"},
      {withRequired({"--name", "Again"}), "--name is given twice"},
      {withRequired({"--main-class"}), "--main-class needs a value"},
      {withRequired({"--verbose=yes"}), "--verbose takes no value"},
      {withRequired({"--type", "gui"}), "--type is app, cli, deb or rpm, not \"gui\""},
      {withRequired({"--description", "two\nlines"}), "--description: a value may not hold control characters"},
      {{"--name", "../up", "--input", "in", "--dest", "out"},
       "--name \"../up\": a name may not hold \"/\" nor begin with \".\""},
      {withRequired({"--identifier", "com example"}),
       "--identifier \"com example\": only letters, digits, \"-\" and \".\", not first (a reverse domain name "
       "such as com.example.hello)"},
      // Names the launcher would pass over, or hide, for the user's options file and cache folder.
      {withRequired({"--identifier", ".."}),
       "--identifier \"..\": only letters, digits, \"-\" and \".\", not first (a reverse domain name "
       "such as com.example.hello)"},
      {withRequired({"--identifier", ".hidden"}),
       "--identifier \".hidden\": only letters, digits, \"-\" and \".\", not first (a reverse domain name "
       "such as com.example.hello)"},
      // What enters the configuration must be UTF-8; the launcher would refuse it at every start.
      {{"--name", "Caf\xe9", "--input", "in", "--dest", "out"},
       "--name \"Caf\\xe9\": not UTF-8, which the launcher reads its configuration as"},
      {withRequired({"--java-options", "-Dx=\xff\xfe"}),
       "--java-options \"-Dx=\\xff\\xfe\": not UTF-8, which the launcher reads its configuration as"},
      {withRequired({"--arguments", "\xc3("}),
       "--arguments \"\\xc3(\": not UTF-8, which the launcher reads its configuration as"},
      {withRequired({"--description", "half \xe2\x82"}),
       "--description \"half \\xe2\\x82\": not UTF-8, which the launcher reads its configuration as"},
      {withRequired({"--no-runtime", "--runtime-image", "jre"}), "--no-runtime and --runtime-image exclude each other"},
      {withRequired({"--runtime-image", "jre", "--jdk", "/jdk"}),
       "--jdk is for a runtime made with jlink; it does not go with --runtime-image"},
      {withRequired({"--no-runtime", "--add-modules", "java.sql"}),
       "--add-modules is for a runtime made with jlink; it does not go with --no-runtime"},
      {withRequired({"--max-java", "21"}),
       "--max-java goes only with --no-runtime: a shipped runtime is used whatever its version"},
      {withRequired({"--type", "cli", "--icon", "i.png"}),
       "--icon goes only with --type app: a command-line application shows no icon"},
  };
  for (const Case& c : cases) test::expectRefused(c.args, c.error);
}

}  // namespace
}  // namespace kvx::bundle
