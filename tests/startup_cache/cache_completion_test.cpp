// The work a start that makes a cache leaves for its exit, run directly on
// files laid out as the runtime leaves them. For the ahead-of-time cache a
// small script stands in for the runtime's assembly run.
#include "startup_cache/cache_completion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "startup_cache/cache_folder.h"
#include "test_support/temp_dir.h"

namespace kvx {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;

const std::string kKey = "00112233445566aa";

std::string withMagic(uint32_t magic, size_t size) {
  std::string bytes(size, 'x');
  std::memcpy(bytes.data(), &magic, sizeof magic);
  return bytes;
}

std::vector<std::string> namesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class CacheCompletionTest : public ::testing::Test {
 protected:
  CacheCompletion completion(CacheMode mode) {
    CacheCompletion c;
    c.mode = mode;
    c.folder = dir.path();
    c.key = kKey;
    c.writtenFile = dir / makingFileName(kKey, 42, writtenSuffix(mode));
    return c;
  }

  // A stand-in for bin/java that writes what the assembly run would write
  // to the file named by -XX:AOTCache=, and records its arguments.
  std::string assembler(const std::string& writes, int status) {
    std::string script = dir / "java";
    writeFile(dir / "cache-bytes", writes);
    writeFile(script,
              "#!/bin/sh\n"
              "echo \"$@\" > '" + dir / "arguments" + "'\n"
              "echo noise; echo noise >&2\n"
              "for a in \"$@\"; do case \"$a\" in -XX:AOTCache=*) cp '" + dir / "cache-bytes" +
                  "' \"${a#-XX:AOTCache=}\";; esac; done\n"
              "exit " + std::to_string(status) + "\n");
    chmod(script.c_str(), 0755);
    return script;
  }

  TempDir dir;
};

TEST_F(CacheCompletionTest, AnArchiveWrittenToItsEndBecomesTheFinishedCacheSealedWithItsStatus) {
  CacheCompletion c = completion(CacheMode::ArchiveAtExit);
  writeFile(c.writtenFile, withMagic(0xf00baba8, 4096));

  completeCache(c);

  std::vector<std::string> names = namesIn(dir.path());
  ASSERT_EQ(names.size(), 1u);
  std::optional<std::string> found = findFinishedCache(names, kKey, ".jsa");
  ASSERT_TRUE(found) << names[0];
  std::optional<platform::FileStatus> status = platform::fileStatus(dir / *found);
  ASSERT_TRUE(status);
  EXPECT_TRUE(sealMatches(*found, *status));
  EXPECT_EQ(status->size, 4096u);
}

TEST_F(CacheCompletionTest, AnythingElseTheRuntimeLeftIsRemoved) {
  const std::pair<const char*, std::string> leftovers[] = {
      {"a header not yet written", std::string(4096, '\0')},
      {"another kind of archive", withMagic(0xf00baba2, 4096)},
      {"an empty file", ""},
  };
  for (const auto& [what, bytes] : leftovers) {
    CacheCompletion c = completion(CacheMode::AutoCreatedArchive);
    writeFile(c.writtenFile, bytes);
    completeCache(c);
    EXPECT_TRUE(namesIn(dir.path()).empty()) << what;
  }
  completeCache(completion(CacheMode::ArchiveAtExit));  // nothing written at all
  EXPECT_TRUE(namesIn(dir.path()).empty());
}

TEST_F(CacheCompletionTest, TheRecordedConfigurationIsAssembledQuietlyIntoTheCache) {
  CacheCompletion c = completion(CacheMode::AheadOfTime);
  c.javaProgram = assembler(withMagic(0xf00baba2, 8192), 0);
  c.applicationOptions = {"-Djava.class.path=/app.jar", "-Xmx1g"};
  writeFile(c.writtenFile, "recorded configuration");

  completeCache(c);

  EXPECT_EQ(test::readFileOrMissing(dir / "arguments"),
            "-Djava.class.path=/app.jar -Xmx1g -XX:AOTMode=create -XX:AOTConfiguration=" + c.writtenFile +
                " -XX:AOTCache=" + dir / makingFileName(kKey, getpid(), ".aot") + "\n");
  std::vector<std::string> names = namesIn(dir.path());
  std::erase_if(names, [](const std::string& name) { return !isCacheFileName(name); });
  ASSERT_EQ(names.size(), 1u) << "the configuration is gone, the cache is there";
  EXPECT_TRUE(findFinishedCache(names, kKey, ".aot")) << names[0];
}

TEST_F(CacheCompletionTest, AFailedAssemblyLeavesNothing) {
  const std::pair<std::string, int> runs[] = {
      {withMagic(0xf00baba2, 8192), 1},  // wrote something, then failed
      {std::string(8192, '\0'), 0},      // claims success, wrote no header
  };
  for (const auto& [bytes, status] : runs) {
    CacheCompletion c = completion(CacheMode::AheadOfTime);
    c.javaProgram = assembler(bytes, status);
    writeFile(c.writtenFile, "recorded configuration");
    completeCache(c);
    std::vector<std::string> names = namesIn(dir.path());
    EXPECT_TRUE(std::none_of(names.begin(), names.end(), isCacheFileName)) << status;
  }
  // Nothing recorded: the runtime is not even asked.
  CacheCompletion c = completion(CacheMode::AheadOfTime);
  c.javaProgram = assembler("", 0);
  fs::remove(dir / "arguments");
  completeCache(c);
  EXPECT_FALSE(fs::exists(dir / "arguments"));
}

}  // namespace
}  // namespace kvx
