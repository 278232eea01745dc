#include "bundle/desktop_entry.h"

#include <gtest/gtest.h>

namespace kvx::bundle {
namespace {

TEST(DesktopEntry, ExecIsOneArgumentWhateverTheNameHolds) {
  std::string entry = desktopEntry({"Say \"$hi\" 100% \\o/", "Contents/MacOS/Say \"$hi\" 100% \\o/",
                                    std::string("Greets\nwith a backslash \\"), std::string("Contents/Resources/Say.png"),
                                    "com.example.Say"});
  EXPECT_EQ(entry,
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Say \"$hi\" 100% \\\\o/\n"
            "Comment=Greets\\nwith a backslash \\\\\n"
            "Exec=\"@APP_PATH@/Contents/MacOS/Say \\\\\"\\\\$hi\\\\\" 100%% \\\\\\\\o/\"\n"
            "Icon=@APP_PATH@/Contents/Resources/Say.png\n"
            "Terminal=false\n"
            "StartupWMClass=com-example-Say\n");
  EXPECT_EQ(desktopEntryFileName("Say", std::nullopt), "Say.desktop");
  EXPECT_EQ(desktopEntryFileName("Say", std::string("com.example.say")), "com.example.say.desktop");
}

// The files opened with the entry come after the launcher, outside its
// quotes, where the desktop replaces %F; a per cent sign of the path stays
// doubled.
TEST(DesktopEntry, DocumentsComeAsTheirOwnArgumentsAfterTheLauncher) {
  DesktopEntryParts parts{"Say", "Contents/MacOS/Say 100%", std::nullopt, std::nullopt, "Say"};
  parts.mimeTypes = {"application/x-say", "text/x-say"};
  std::string entry = desktopEntry(parts);
  EXPECT_NE(entry.find("\nExec=\"@APP_PATH@/Contents/MacOS/Say 100%%\" %F\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nMimeType=application/x-say;text/x-say;\n"), std::string::npos) << entry;
  EXPECT_EQ(placedDesktopEntry(entry, "/opt/a b", std::nullopt).find("Exec=\"/opt/a b/Contents/MacOS/Say 100%%\" %F\n"),
            entry.find("Exec="));
}

}  // namespace
}  // namespace kvx::bundle
