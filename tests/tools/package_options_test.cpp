#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bundle/bundle_options.h"
#include "bundle/package_desktop.h"
#include "bundle/package_documents.h"
#include "bundle/package_layout.h"
#include "test_support/bundle_arguments.h"

namespace kvx::bundle {
namespace {

using Args = std::vector<std::string>;

Args deb(Args more) {
  Args args = {"--name", "Hello World", "--input", "in", "--dest", "out", "--type", "deb",
               "--linux-deb-maintainer", "me@example.com"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(PackageOptions, APackageSettlesItsTreeNameVersionAndPlaces) {
  std::string error;
  std::optional<BundleOptions> gui = parseBundleOptions(deb({"--app-version", "2.0~rc1"}), &error);
  ASSERT_TRUE(gui) << error;
  PackageLayout app = packageLayoutFor(*gui, "amd64", 48);
  EXPECT_EQ(gui->type, BundleType::App);
  EXPECT_EQ(app.fileName, "hello-world_2.0~rc1-1_amd64.deb");
  EXPECT_EQ(app.executable, "/opt/hello-world/Hello World.app/Contents/MacOS/Hello World");
  EXPECT_EQ(app.desktopEntry, "usr/share/applications/hello-world.desktop");
  EXPECT_EQ(app.icon, "usr/share/icons/hicolor/48x48/apps/hello-world.png");
  EXPECT_EQ(app.command, "");

  std::optional<BundleOptions> cli = parseBundleOptions(
      {"--name", "hello", "--input", "in", "--dest", "out", "--type", "rpm", "--package-tree", "cli",
       "--install-dir", "/srv/tools/hello", "--linux-app-release", "3", "--linux-package-deps", "bash, curl (>= 7)"},
      &error);
  ASSERT_TRUE(cli) << error;
  PackageLayout tool = packageLayoutFor(*cli, "x86_64", 0);
  EXPECT_EQ(cli->type, BundleType::Cli);
  EXPECT_EQ(tool.fileName, "hello-1.0-3.x86_64.rpm");
  EXPECT_EQ(tool.executable, "/srv/tools/hello/bin/hello");
  EXPECT_EQ(tool.command, "usr/bin/hello");
  EXPECT_EQ(tool.desktopEntry, "");
  EXPECT_EQ(cli->package.extraDepends, (Args{"bash", "curl (>= 7)"}));
}

TEST(PackageOptions, EachRefusalNamesTheOptionAndWhy) {
  struct Case {
    Args args;
    const char* error;
  } cases[] = {
      {{"--name", "a", "--input", "in", "--dest", "out", "--install-dir", "/opt/a"},
       "--install-dir goes only with --type deb or --type rpm"},
      {{"--name", "Hello", "--input", "in", "--dest", "out", "--type", "deb"},
       "--type deb needs --linux-deb-maintainer ADDRESS: a Debian package names whom to write to"},
      {deb({"--linux-deb-maintainer=me"}), "--linux-deb-maintainer is given twice"},
      {{"--name", "H", "--input", "in", "--dest", "out", "--type", "rpm"},
       "package name \"h\": two or more of a-z, 0-9, \"+\", \"-\", \".\", beginning with a letter or digit "
       "(give one with --linux-package-name)"},
      {deb({"--app-version", "v1"}),
       "--app-version \"v1\": a package's version begins with a digit and holds only letters, digits, \".\", "
       "\"+\" and \"~\""},
      {deb({"--app-version", "1.0-2"}),
       "--app-version \"1.0-2\": a package's version begins with a digit and holds only letters, digits, \".\", "
       "\"+\" and \"~\""},
      {deb({"--install-dir", "opt/x"}),
       "--install-dir \"opt/x\": an absolute path of letters, digits, \"/\", \".\", \"_\", \"+\" and \"-\""},
      {deb({"--install-dir", "/opt/my app"}),
       "--install-dir \"/opt/my app\": an absolute path of letters, digits, \"/\", \".\", \"_\", \"+\" and \"-\""},
      {deb({"--install-dir", "/opt/../etc"}),
       "--install-dir \"/opt/../etc\": an absolute path of letters, digits, \"/\", \".\", \"_\", \"+\" and \"-\""},
      {{"--name", "ab", "--input", "in", "--dest", "out", "--type", "deb", "--linux-deb-maintainer", "Me <m@x>"},
       "--linux-deb-maintainer \"Me <m@x>\": an e-mail address such as me@example.com"},
      {deb({"--about-url", "example.com"}), "--about-url \"example.com\": an http:// or https:// address"},
      {deb({"--license-file", "/nonexistent/LICENSE"}),
       "--license-file /nonexistent/LICENSE: cannot be read (a text file up to 1 MB)"},
      {deb({"--package-tree", "gui"}), "--package-tree is app or cli, not \"gui\""},
      {deb({"--linux-shortcut"}),
       "--linux-shortcut puts a command-line tree into the menu (with --package-tree cli); a window "
       "application's package always has its menu entry"},
  };
  for (const Case& c : cases) test::expectRefused(c.args, c.error);
}

TEST(PackageOptions, TheInstalledDesktopEntryNamesTheInstalledLauncherAndTheThemeIcon) {
  std::string error;
  std::optional<BundleOptions> o =
      parseBundleOptions(deb({"--linux-menu-group", "Development;Java", "--description", "50% faster"}), &error);
  ASSERT_TRUE(o) << error;
  std::string entry = packagedDesktopEntry(*o, packageLayoutFor(*o, "amd64", 48), "com.example.Main");
  EXPECT_NE(entry.find("\nExec=\"/opt/hello-world/Hello World.app/Contents/MacOS/Hello World\"\n"), std::string::npos)
      << entry;
  EXPECT_NE(entry.find("\nIcon=hello-world\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nCategories=Development;Java;\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nComment=50% faster\n"), std::string::npos) << entry;
  EXPECT_EQ(entry.find("@APP_PATH@"), std::string::npos) << entry;
}

TEST(PackageOptions, AShortcutPutsACommandLineTreeIntoTheMenuToRunInATerminal) {
  std::string error;
  std::optional<BundleOptions> o =
      parseBundleOptions(deb({"--package-tree", "cli", "--linux-shortcut", "--icon", "tool.png"}), &error);
  ASSERT_TRUE(o) << error;
  PackageLayout layout = packageLayoutFor(*o, "amd64", 48);
  EXPECT_EQ(layout.command, "usr/bin/Hello World");
  EXPECT_EQ(layout.desktopEntry, "usr/share/applications/hello-world.desktop");
  std::string entry = packagedDesktopEntry(*o, layout, "com.example.Main");
  EXPECT_NE(entry.find("\nExec=\"/opt/hello-world/bin/Hello World\"\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nTerminal=true\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nIcon=hello-world\n"), std::string::npos) << entry;
  EXPECT_EQ(entry.find("StartupWMClass"), std::string::npos) << entry;
}

TEST(PackageDocuments, DatesAreWrittenInUtcWhateverTheMachinesZone) {
  EXPECT_EQ(rfc5322Date(0), "Thu, 01 Jan 1970 00:00:00 +0000");
  EXPECT_EQ(rfc5322Date(1700000000), "Tue, 14 Nov 2023 22:13:20 +0000");
  EXPECT_EQ(rfc5322Date(951782400), "Tue, 29 Feb 2000 00:00:00 +0000");
  EXPECT_EQ(rfc5322Date(4102444799), "Thu, 31 Dec 2099 23:59:59 +0000");
}

}  // namespace
}  // namespace kvx::bundle
