#include "startup_cache/cache_key.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "test_support/temp_dir.h"

namespace kvx {
namespace {

using test::TempDir;
using test::writeFile;

class CacheKey : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir / "jdk/release", "JAVA_VERSION=\"17.0.15\"\n");
    writeFile(dir / "jdk/lib/modules", "image");
    writeFile(dir / "lib/app.jar", "app classes");
    writeFile(dir / "lib/util.jar", "util classes");
  }

  CacheKeyInputs inputs() const {
    return {{dir / "jdk", dir / "jdk", "17.0.15", 17},
            dir / "lib/app.jar:" + dir / "lib/util.jar",
            "app.Main",
            {"-Xmx1g"},
            {}};
  }

  std::string keyOf(const CacheKeyInputs& in) const {
    std::string why;
    std::optional<std::vector<std::string>> lines = cacheKeyLines(in, &why);
    EXPECT_TRUE(lines) << why;
    return lines ? cacheKeyName(*lines) : "";
  }

  // Sets a file's modification time to a fixed second, as a copy or an
  // update of the same size would leave it different.
  static void setModified(const std::string& path, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }

  TempDir dir;
};

TEST_F(CacheKey, IsTheSameForTheSameStartAndChangesWithAnythingTheCacheWasMadeFor) {
  const std::string base = keyOf(inputs());
  EXPECT_EQ(base.size(), 16u);
  EXPECT_EQ(keyOf(inputs()), base);

  const std::pair<const char*, std::function<void(CacheKeyInputs&)>> changes[] = {
      {"a jar's contents", [&](CacheKeyInputs&) { writeFile(dir / "lib/util.jar", "util classes, v2"); }},
      {"a jar's time", [&](CacheKeyInputs&) { setModified(dir / "lib/app.jar", 1000000); }},
      {"a jar copied over with its old size and time",
       [&](CacheKeyInputs&) {
         auto time = std::filesystem::last_write_time(dir / "lib/app.jar");
         writeFile(dir / "lib/app.jar", "app CLASSES");
         std::filesystem::last_write_time(dir / "lib/app.jar", time);
       }},
      {"the runtime's image", [&](CacheKeyInputs&) { writeFile(dir / "jdk/lib/modules", "rebuilt"); }},
      {"the runtime's machine", [&](CacheKeyInputs&) { writeFile(dir / "jdk/lib/server/libjvm.so", "new"); }},
      {"the runtime's version", [](CacheKeyInputs& in) { in.runtime.version = "17.0.16"; }},
      {"the runtime's path", [&](CacheKeyInputs& in) { in.runtime.path = dir / "other-jdk"; }},
      {"the order of the class path",
       [&](CacheKeyInputs& in) { in.classPath = dir / "lib/util.jar:" + dir / "lib/app.jar"; }},
      {"the main class", [](CacheKeyInputs& in) { in.mainClass = "app.Other"; }},
      {"an option", [](CacheKeyInputs& in) { in.options = {"-Xmx2g"}; }},
      {"an option variable", [](CacheKeyInputs& in) { in.variableOptions = {"-javaagent:/a.jar"}; }},
  };
  for (const auto& [what, change] : changes) {
    SetUp();  // lays the files out afresh: each change is measured against its own start
    const std::string before = keyOf(inputs());
    CacheKeyInputs changed = inputs();
    change(changed);
    std::string key = keyOf(changed);
    EXPECT_NE(key, before) << what;
    EXPECT_EQ(keyOf(changed), key) << what << " gives one key";
  }
}

TEST_F(CacheKey, AMissingEntryIsKeyedSoThatItsArrivalMakesANewCache) {
  CacheKeyInputs in = inputs();
  in.classPath += ":" + dir / "lib/plugin.jar";
  const std::string before = keyOf(in);
  writeFile(dir / "lib/plugin.jar", "plugin");
  EXPECT_NE(keyOf(in), before);
}

TEST_F(CacheKey, EntriesTheRuntimeCannotArchiveFromGiveNoKey) {
  std::filesystem::create_directories(dir / "classes");
  const std::pair<const char*, std::function<void(CacheKeyInputs&)>> refused[] = {
      {"a directory on the class path", [&](CacheKeyInputs& in) { in.classPath += ":" + dir / "classes"; }},
      {"an empty class path entry", [&](CacheKeyInputs& in) { in.classPath += "::"; }},
      {"the current directory", [](CacheKeyInputs& in) { in.classPath = "."; }},
  };
  for (const auto& [what, change] : refused) {
    CacheKeyInputs in = inputs();
    change(in);
    std::string why;
    EXPECT_FALSE(cacheKeyLines(in, &why)) << what;
    EXPECT_NE(why.find("archives only"), std::string::npos) << what << ": " << why;
  }
}

TEST(CacheKeyName, IsSixteenHexDigitsOfTheLines) {
  EXPECT_EQ(hexName(0x0123456789abcdefULL), "0123456789abcdef");
  EXPECT_EQ(hexName(fingerprint("")), "cbf29ce484222325");
  EXPECT_NE(cacheKeyName({"a", "b"}), cacheKeyName({"ab"}));
}

}  // namespace
}  // namespace kvx
