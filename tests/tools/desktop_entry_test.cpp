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

}  // namespace
}  // namespace kvx::bundle
