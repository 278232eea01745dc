// The options that shape the build and the service: how they are read, what
// is refused, and the unit and scripts a service's package carries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bundle/app_content.h"
#include "bundle/bundle_options.h"
#include "bundle/package_layout.h"
#include "bundle/service_scripts.h"
#include "bundle/service_unit.h"
#include "test_support/bundle_arguments.h"
#include "test_support/temp_dir.h"

namespace kvx::bundle {
namespace {

using Args = std::vector<std::string>;
namespace fs = std::filesystem;

Args cliDeb(Args more) {
  Args args = {"--name", "tool", "--input", "in", "--dest", "out", "--type", "deb", "--package-tree", "cli",
               "--linux-deb-maintainer", "me@example.com"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

Args tree(Args more) {
  Args args = {"--name", "Hello", "--input", "in", "--dest", "out"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(BuildOptions, JlinkOptionsAndContentAreListsAndRepeatsAddToThem) {
  test::TempDir dir;
  test::writeFile(dir / "docs/readme", "x");
  test::writeFile(dir / "LICENSE", "x");
  std::string error;
  std::optional<BundleOptions> o =
      parseBundleOptions(tree({"--jlink-options", "--strip-debug  --compress=zip-6", "--jlink-options=--no-man-pages",
                               "--app-content", dir / "docs" + "," + (dir / "LICENSE"), "--resource-dir", dir.path()}),
                         &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->jlinkOptions, (Args{"--strip-debug", "--compress=zip-6", "--no-man-pages"}));
  EXPECT_EQ(o->appContent, (Args{dir / "docs", dir / "LICENSE"}));
  EXPECT_EQ(appContentPlace(BundleType::App, dir / "docs/"), "Contents/Resources/docs");
  EXPECT_EQ(appContentPlace(BundleType::Cli, dir / "LICENSE"), "LICENSE");
  // Given empty, jlink gets no options beyond the modules and the output.
  std::optional<BundleOptions> bare = parseBundleOptions(tree({"--jlink-options", ""}), &error);
  ASSERT_TRUE(bare) << error;
  EXPECT_EQ(bare->jlinkOptions, Args{});
  EXPECT_FALSE(parseBundleOptions(tree({}), &error)->jlinkOptions.has_value());
}

TEST(BuildOptions, EachRefusalNamesTheOptionAndWhy) {
  test::TempDir dir;
  test::writeFile(dir / "full/file", "x");
  test::writeFile(dir / "lib/x.txt", "x");
  test::writeFile(dir / "other/lib", "x");
  test::writeFile(dir / "plain", "x");
  fs::create_directories(dir / "empty");
  struct Case {
    Args args;
    std::string error;
  } cases[] = {
      {tree({"--launcher-as-service"}),
       "--launcher-as-service goes only with --type deb or --type rpm: the package installs the service"},
      {{"--name", "Hello", "--input", "in", "--dest", "out", "--type", "rpm", "--launcher-as-service"},
       "--launcher-as-service needs --package-tree cli: the service runs the command-line launcher; a window "
       "application's launcher takes no service action"},
      {cliDeb({"--launcher-as-service", "--linux-package-name", "g++tool"}),
       "--launcher-as-service: the package name \"g++tool\" holds \"+\", which a systemd unit's name may not (give "
       "one with --linux-package-name)"},
      {tree({"--app-content", dir / "missing"}), "--app-content " + (dir / "missing") + ": no such file or folder"},
      {tree({"--app-content", "."}), "--app-content \".\": name a file or folder by its own name"},
      {tree({"--type", "cli", "--app-content", dir / "lib"}),
       "--app-content " + (dir / "lib") + ": \"lib\" is the name of the tree's own lib"},
      {tree({"--app-content", dir / "lib/../app"}),
       "--app-content " + (dir / "lib/../app") + ": no such file or folder"},
      {tree({"--icon", dir / "plain", "--app-content", dir / "full/../Hello.png"}),
       "--app-content " + (dir / "full/../Hello.png") + ": no such file or folder"},
      {tree({"--app-content", dir / "lib", "--app-content", dir / "other/lib"}),
       "--app-content " + (dir / "other/lib") + ": another content is named \"lib\" too"},
      {tree({"--no-runtime", "--jlink-options", "--strip-debug"}),
       "--jlink-options is for a runtime made with jlink; it does not go with --no-runtime"},
      {tree({"--jlink-options", "--output /tmp/x"}),
       "--jlink-options: kvx-bundle gives jlink --output itself (add modules with kvx-bundle's --add-modules)"},
      {tree({"--jlink-options", "--add-modules=java.sql"}),
       "--jlink-options: kvx-bundle gives jlink --add-modules itself (add modules with kvx-bundle's --add-modules)"},
      {tree({"--jlink-options", "--strip-native-commands"}),
       "--jlink-options: --strip-native-commands takes away bin/java, with which the runtime makes its class-data "
       "archive and the application its startup cache"},
      {tree({"--temp", dir / "empty"}),
       "--temp goes only with --type deb or --type rpm: a tree is built in a hidden folder of DEST, which becomes "
       "the application"},
      {cliDeb({"--temp", dir / "full"}),
       "--temp " + (dir / "full") + ": not a new or empty folder, which kvx-bundle fills and leaves for you"},
      {cliDeb({"--temp", dir / "plain"}),
       "--temp " + (dir / "plain") + ": not a new or empty folder, which kvx-bundle fills and leaves for you"},
      {tree({"--resource-dir", dir / "plain"}), "--resource-dir " + (dir / "plain") + ": no such folder"},
  };
  for (const Case& c : cases) test::expectRefused(c.args, c.error);
  std::string error;
  EXPECT_TRUE(parseBundleOptions(cliDeb({"--temp", dir / "empty", "--launcher-as-service"}), &error)) << error;
  EXPECT_TRUE(parseBundleOptions(cliDeb({"--temp", dir / "new/work"}), &error)) << error;
  EXPECT_TRUE(parseBundleOptions(tree({"--app-content", dir / "other/lib"}), &error)) << error;
}

TEST(ServiceUnit, RunsTheInstalledLauncherInTheForegroundWithItsNameQuoted) {
  std::string error;
  std::optional<BundleOptions> o = parseBundleOptions(
      {"--name", "My 100% \"$tool\"", "--input", "in", "--dest", "out", "--type", "rpm", "--package-tree", "cli",
       "--linux-package-name", "mytool", "--launcher-as-service", "--description", "Serves 100%"},
      &error);
  ASSERT_TRUE(o) << error;
  PackageLayout layout = packageLayoutFor(*o, "x86_64", 0);
  EXPECT_EQ(layout.serviceUnit, "usr/lib/systemd/system/mytool.service");
  std::string unit = serviceUnit(*o, layout);
  for (const char* line : {"Description=Serves 100%%", "Documentation=file:/usr/share/doc/mytool/copyright",
                           "Type=simple", "ExecStart=\"/opt/mytool/bin/My 100%% \\\"$$tool\\\"\" run",
                           "SuccessExitStatus=143", "WantedBy=multi-user.target"}) {
    EXPECT_NE(("\n" + unit).find("\n" + std::string(line) + "\n"), std::string::npos) << line << "\n" << unit;
  }
  o->launcherAsService = false;
  EXPECT_EQ(packageLayoutFor(*o, "x86_64", 0).serviceUnit, "");
}

// A script run by /bin/sh with $1 and $2 given, with the tools it calls
// replaced by ones that write down how they were called (deb-systemd-helper
// says a unit was never enabled), or with no tools at all; and with systemd
// running or not. What it called, one call a line, "failed" when it failed.
std::string callsOf(const std::string& script, const Args& args, bool tools, bool systemdRuns) {
  test::TempDir dir;
  for (const char* tool : {"deb-systemd-helper", "deb-systemd-invoke", "systemctl"}) {
    test::writeFile(dir / ("bin/" + std::string(tool)), "#!/bin/sh\necho \"" + std::string(tool) +
                                            " $*\" >>\"$CALLS\"\ncase \"$*\" in *was-enabled*) exit 1;; esac\n");
    fs::permissions(dir / ("bin/" + std::string(tool)), fs::perms::owner_all);
  }
  std::string text = script;
  const std::string probe = "[ -d /run/systemd/system ]";
  for (size_t at; (at = text.find(probe)) != std::string::npos;) text.replace(at, probe.size(), systemdRuns ? "true" : "false");
  test::writeFile(dir / "script", text);
  std::string command = "CALLS='" + dir / "calls" + "' PATH='" + dir / (tools ? "bin" : "none") + "' /bin/sh '" +
                        dir / "script" + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  int status = std::system(command.c_str());
  std::string calls = test::readFileOrMissing(dir / "calls");
  return (calls == "<missing>" ? "" : calls) + (status == 0 ? "" : "failed\n");
}

TEST(ServiceScripts, TheServiceIsLeftDisabledStoppedOnRemovalAndForgottenOnPurge) {
  const std::string unit = "tool.service";
  struct Case {
    std::string script;
    Args args;
    bool systemdRuns;
    std::string calls;
  } cases[] = {
      {debServicePostinst(unit), {"configure"}, true,
       "deb-systemd-helper debian-installed tool.service\ndeb-systemd-helper unmask tool.service\n"
       "deb-systemd-helper --quiet was-enabled tool.service\n"
       "deb-systemd-helper update-state tool.service\nsystemctl --system daemon-reload\n"},
      {debServicePostinst(unit), {"configure", "1.0-1"}, true,
       "deb-systemd-helper debian-installed tool.service\ndeb-systemd-helper unmask tool.service\n"
       "deb-systemd-helper --quiet was-enabled tool.service\n"
       "deb-systemd-helper update-state tool.service\nsystemctl --system daemon-reload\n"
       "deb-systemd-invoke try-restart tool.service\n"},
      {debServicePostinst(unit), {"configure"}, false,
       "deb-systemd-helper debian-installed tool.service\ndeb-systemd-helper unmask tool.service\n"
       "deb-systemd-helper --quiet was-enabled tool.service\n"
       "deb-systemd-helper update-state tool.service\n"},
      {debServicePrerm(unit), {"remove"}, true, "deb-systemd-invoke stop tool.service\n"},
      {debServicePrerm(unit), {"upgrade", "1.1-1"}, true, ""},
      {debServicePrerm(unit), {"remove"}, false, ""},
      {debServicePostrm(unit), {"remove"}, true,
       "deb-systemd-helper mask tool.service\nsystemctl --system daemon-reload\n"},
      {debServicePostrm(unit), {"purge"}, false,
       "deb-systemd-helper purge tool.service\ndeb-systemd-helper unmask tool.service\n"},
      {rpmServicePost(unit), {"1"}, true, "systemctl --system daemon-reload\n"},
      {rpmServicePreun(unit), {"0"}, false, "systemctl --no-reload disable --now tool.service\n"},
      {rpmServicePreun(unit), {"1"}, true, ""},
      {rpmServicePostun(unit), {"1"}, true, "systemctl --system daemon-reload\nsystemctl try-restart tool.service\n"},
      {rpmServicePostun(unit), {"0"}, true, "systemctl --system daemon-reload\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(callsOf(scriptWith("", c.script), c.args, true, c.systemdRuns), c.calls) << c.script;
    // In a container or chroot without the tools, nothing is called and nothing fails.
    EXPECT_EQ(callsOf(scriptWith("", c.script), c.args, false, false), "") << c.script;
  }
}

}  // namespace
}  // namespace kvx::bundle
