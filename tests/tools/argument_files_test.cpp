#include "bundle/argument_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/temp_dir.h"

namespace kvx::bundle {
namespace {

using Args = std::vector<std::string>;

TEST(ArgumentFiles, TextIsSplitAsTheJdksToolsSplitIt) {
  struct Case {
    const char* text;
    Args args;
  } cases[] = {
      {"--name\nHello\n", {"--name", "Hello"}},
      {"  --name   Hello \r\n\t--verbose", {"--name", "Hello", "--verbose"}},
      {"--description \"A small editor\"", {"--description", "A small editor"}},
      {"--java-options -Dtitle=\"My App\"", {"--java-options", "-Dtitle=My App"}},
      {"'single quoted' \"\"", {"single quoted", ""}},
      {"\"tab\\tline\\nquote\\\"back\\\\slash\"", {"tab\tline\nquote\"back\\slash"}},
      {"C:\\plain\\backslashes", {"C:\\plain\\backslashes"}},
      {"# a comment\n--name Hello # another\n", {"--name", "Hello"}},
      {"-Dcolour=#fff", {"-Dcolour=#fff"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    std::optional<Args> args = argumentsOfText(c.text, &error);
    ASSERT_TRUE(args) << error;
    EXPECT_EQ(*args, c.args);
  }
}

TEST(ArgumentFiles, AQuoteLeftOpenNamesItsLine) {
  std::string error;
  EXPECT_FALSE(argumentsOfText("--name Hello\n--description \"unfinished\n--verbose\n", &error));
  EXPECT_EQ(error, "line 2: a quote is not closed");
}

TEST(ArgumentFiles, FilesAreReadInPlaceAndTheirOwnAtSignsKept) {
  test::TempDir dir;
  test::writeFile(dir / "options", "--name Hello\n@not-a-file\n");
  std::string error;
  std::optional<Args> args = expandArgumentFiles({"--verbose", "@" + dir / "options", "--dest", "d"}, &error);
  ASSERT_TRUE(args) << error;
  EXPECT_EQ(*args, (Args{"--verbose", "--name", "Hello", "@not-a-file", "--dest", "d"}));

  EXPECT_FALSE(expandArgumentFiles({"@" + dir / "missing"}, &error));
  EXPECT_EQ(error, "@" + dir / "missing" + ": the file cannot be read");
}

}  // namespace
}  // namespace kvx::bundle
