#include "bundle/properties_file.h"
#include "bundle/added_launcher.h"
#include "bundle/file_association.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/temp_dir.h"

namespace kvx::bundle {
namespace {

// The expected readings are what the JDK's java.util.Properties gives for
// the same texts.
TEST(PropertiesFile, ReadsAsTheJdkReadsAPropertiesFile) {
  struct Case {
    std::string text;
    Properties expected;
  };
  const std::vector<Case> cases = {
      {"a=1\nb: 2\nc 3\n", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
      {"# x=1\n! y=2\n  z = 3  \n", {{"z", "3  "}}},
      {"key = one \\\n    two\\\n three\n", {{"key", "one twothree"}}},
      {"path=C:\\\\\nnext=1\n", {{"path", "C:\\"}, {"next", "1"}}},
      {"tab=a\\tb\nuni=\\u00e9\\u20AC\nemoji=\\uD83D\\uDE00\nkey\\ with\\=sep=v\n",
       {{"tab", "a\tb"}, {"uni", "\xc3\xa9\xe2\x82\xac"}, {"emoji", "\xf0\x9f\x98\x80"}, {"key with=sep", "v"}}},
      {"a=1\r\nb=2\rc=3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
      {"a=1\nb=2\na=3", {{"a", "3"}, {"b", "2"}}},
      {"empty=\nalone\n", {{"empty", ""}, {"alone", ""}}},
      {"# a comment's backslash continues nothing\\\nx=1", {{"x", "1"}}},
      {"a=1\\\n\nb=2", {{"a", "1"}, {"b", "2"}}},
      {"k\t:\tv\\", {{"k", "v"}}},
      {"x = \\n\\q", {{"x", "\nq"}}},
      {"description=Gr\xc3\xbc\xc3\x9f\x65\n", {{"description", "Gr\xc3\xbc\xc3\x9f\x65"}}},
  };
  for (const Case& c : cases) {
    std::string error;
    std::optional<Properties> read = parseProperties(c.text, &error);
    ASSERT_TRUE(read) << c.text << "\n" << error;
    EXPECT_EQ(*read, c.expected) << c.text;
  }
}

TEST(PropertiesFile, AMistakeNamesItsLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a=\\u12G4", "line 1: a \\u escape needs four hexadecimal digits"},
      {"x=1\n\nb=\\uDC00", "line 3: a \\u escape"},
      {"x=1\nhigh=\\uD83D alone", "line 2: a \\u escape"},
      {"short=\\u12", "line 1: a \\u escape"},
      {"a=\xff", "not UTF-8 text"},
  };
  for (const auto& [text, message] : cases) {
    std::string error;
    EXPECT_FALSE(parseProperties(text, &error)) << text;
    EXPECT_TRUE(error.starts_with(message)) << text << "\n" << error;
  }
}

TEST(PropertiesFile, WordsSplitAtBlanksAndQuotesKeepThemWhole) {
  std::string error;
  EXPECT_EQ(splitWords("  -Xmx1g \"-Dgreeting=hello there\" 'a \"b\"' \"\" c", &error),
            (std::vector<std::string>{"-Xmx1g", "-Dgreeting=hello there", "a \"b\"", "", "c"}));
  EXPECT_FALSE(splitWords("one \"two", &error));
  EXPECT_EQ(error, "a \" is left open in \"one \"two\"");
}

class PropertyFiles : public ::testing::Test {
 protected:
  std::string file(const std::string& name, const std::string& text) {
    test::writeFile(dir / name, text);
    return dir / name;
  }
  test::TempDir dir;
};

TEST_F(PropertyFiles, AnAssociationTakesItsKeysAndRefusesWhatItCannotUse) {
  std::string error;
  std::optional<FileAssociation> read = readFileAssociation(
      file("greeting.properties", "extension=greet, greeting\nmime-type=application/x-greeting\n"
                                  "description=Greeting \\u00e0 la carte\nicon=greet.png\n"),
      &error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->extensions, (std::vector<std::string>{"greet", "greeting"}));
  EXPECT_EQ(read->mimeType, "application/x-greeting");
  EXPECT_EQ(read->description, "Greeting \xc3\xa0 la carte");
  EXPECT_EQ(read->icon, "greet.png");

  const std::vector<std::pair<std::string, std::string>> refused = {
      {"mime-type=text/x-a\n", "extension is required"},
      {"extension=a\n", "mime-type is required"},
      {"extension=a\nmime-type=text/x-a text/x-b\n", "mime-type: one media type an association, not 2"},
      {"extension=a\nmime-type=text\n", "mime-type \"text\" is no media type"},
      {"extension=.a\nmime-type=text/x-a\n", "extension \".a\": an extension is written without its dot"},
      {"extension=*\nmime-type=text/x-a\n", "extension \"*\""},
      {"extension=a\nmime-type=text/x-a\nicons=a.png\n", "unknown key \"icons\" (extension, mime-type, description, icon)"},
      {"extension=a\nmime-type=text/x-a\ndescription=a\\nb\n", "description: a value may not hold control characters"},
  };
  for (const auto& [text, message] : refused) {
    std::string path = file("refused.properties", text);
    EXPECT_FALSE(readFileAssociation(path, &error)) << text;
    EXPECT_EQ(error.find("--file-associations " + path + ": " + message), 0u) << text << "\n" << error;
    std::filesystem::remove(path);
  }
  EXPECT_FALSE(readFileAssociation(dir / "missing.properties", &error));
  EXPECT_EQ(error.find("--file-associations " + dir / "missing.properties" + ": "), 0u) << error;
}

TEST_F(PropertyFiles, ALauncherTakesItsKeysAndSplitsItsOptionsAsWords) {
  std::string error;
  std::string path = file("admin.properties", "main-class=com.example.Admin\njava-options=-Xmx64m \"-Drole=the admin\"\n"
                                              "arguments=--admin\ndescription=Administers\n");
  std::optional<AddedLauncher> read = readAddedLauncher("admin=" + path, &error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->name, "admin");
  EXPECT_EQ(read->mainClass, "com.example.Admin");
  EXPECT_EQ(read->javaOptions, (std::vector<std::string>{"-Xmx64m", "-Drole=the admin"}));
  EXPECT_EQ(read->arguments, (std::vector<std::string>{"--admin"}));
  EXPECT_FALSE(read->mainJar);
  EXPECT_FALSE(read->icon);

  const std::vector<std::pair<std::string, std::string>> refused = {
      {path, "--add-launcher \"" + path + "\": NAME=FILE"},
      {"two words=" + path, "--add-launcher \"two words\": a launcher's name holds only"},
      {".hidden=" + path, "--add-launcher \".hidden\": a launcher's name holds only"},
      {"admin=" + file("service.properties", "launcher-as-service=true\n"),
       "--add-launcher admin=" + dir / "service.properties" + ": unknown key \"launcher-as-service\""},
      {"admin=" + file("open.properties", "arguments=\"open\n"), "--add-launcher admin=" + dir / "open.properties" + ": arguments: a \" is left open"},
  };
  for (const auto& [option, message] : refused) {
    EXPECT_FALSE(readAddedLauncher(option, &error)) << option;
    EXPECT_EQ(error.find(message), 0u) << option << "\n" << error;
  }
}

}  // namespace
}  // namespace kvx::bundle
