// The unpack step of a shipped runtime, and what the person starting the
// application is shown when it fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/exception.h"
#include "launcher/messages.h"
#include "test_support/runtime_choice_fixture.h"
#include "test_support/runtime_fixtures.h"

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

// The shipped runtime's packed jars are expanded with its own unpack200.
class ShippedRuntimeUnpack : public RuntimeChoice {
 protected:
  ShippedRuntimeUnpack() {
    home = appRoot + "/.kestrovel/jre";
    makePlainHome(home, "17.0.2");
    fs::create_directories(home + "/bin");
    fs::copy_file(KVX_BUILD_DIR "/unpack200-standin", home + "/bin/unpack200");
    fs::copy(KVX_SOURCE_DIR "/tests/fixtures/Messages.bundle", appRoot + "/.kestrovel/Messages.bundle",
             fs::copy_options::recursive);
    configure({}, {{"CFBundleName", str("Foo")}});
    run.commandLine = true;
  }

  // The search raises the failure for the entry to report; this is what the
  // entry then shows. Nothing below the entry ends the process.
  std::string shownForFailedSearch() {
    testing::internal::CaptureStderr();
    try {
      RuntimeSearch(run, roots).findJavaBundle();
    } catch (const MessageError& e) {
      displayError(run, e.key(), e.info1(), e.info2());
      return testing::internal::GetCapturedStderr();
    }
    return "no MessageError raised; stderr: " + testing::internal::GetCapturedStderr();
  }
  std::string home;
};

TEST_F(ShippedRuntimeUnpack, PackedJarsAreExpandedBeforeUse) {
  writeFile(home + "/lib/rt.jar.pack", "classes");
  EXPECT_EQ(choose(), home);
  EXPECT_EQ(readFileOrMissing(home + "/lib/rt.jar"), "unpacked:classes");
  EXPECT_FALSE(fs::exists(home + "/lib/rt.jar.pack"));
}

TEST_F(ShippedRuntimeUnpack, AFailedToolRunInAWritableDirectoryEndsTheProcess) {
  writeFile(home + "/lib/rt.jar.pack", "FAIL");
  const std::string shown = shownForFailedSearch();
  EXPECT_TRUE(shown.ends_with("\nERROR: The application could not be started because of an internal "
                              "error: could not run unpack200\n"))
      << shown;
  EXPECT_FALSE(fs::exists(home + "/_kvx_testdir"));
}

TEST_F(ShippedRuntimeUnpack, AProbeThatCannotBeMadeMeansAnUnwritableDirectory) {
  writeFile(home + "/lib/rt.jar.pack", "FAIL");
  writeFile(home + "/_kvx_testdir", "in the way");
  const std::string shown = shownForFailedSearch();
  EXPECT_NE(shown.find("ERROR: The Java runtime that comes with this application must be unpacked"),
            std::string::npos)
      << shown;
  EXPECT_EQ(readFileOrMissing(home + "/_kvx_testdir"), "in the way");
}

// Root may write anywhere, so as root the run is made as the user "nobody",
// for whom the runtime's directory is read-only.
TEST_F(ShippedRuntimeUnpack, AReadOnlyDirectoryIsReportedAsUnwritable) {
  writeFile(home + "/lib/rt.jar.pack", "FAIL");
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    fs::permissions(entry.path(), fs::perms(0555));
  }
  fs::permissions(dir.path(), fs::perms(0755));
  bool asNobody = geteuid() == 0;
  EXPECT_EXIT(
      {
        if (asNobody && setuid(65534) != 0) _exit(99);
        try {
          RuntimeSearch(run, roots).findJavaBundle();
        } catch (const MessageError& e) {
          displayError(run, e.key(), e.info1(), e.info2());
          _exit(1);
        }
        _exit(0);
      },
      ::testing::ExitedWithCode(1),
      "ERROR: The Java runtime that comes with this application must be unpacked");
  EXPECT_FALSE(fs::exists(home + "/_kvx_testdir"));
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_directory()) fs::permissions(entry.path(), fs::perms(0755));
  }
}

}  // namespace
}  // namespace kvx::test
