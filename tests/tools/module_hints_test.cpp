// The names in jars that lead to modules jdeps cannot see: where they are
// found, which is reported for a module found twice, and which a runtime lacks.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bundle/module_hints.h"
#include "test_support/temp_dir.h"

namespace kvx::bundle {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A jar with the entries given; a class file here is only the bytes that
// its constant pool would hold.
void writeJar(const std::string& path, const Entries& entries) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  ASSERT_NE(archive, nullptr);
  for (const auto& [name, bytes] : entries) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE), 0);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

std::string classBytes(const std::string& names) { return "\xca\xfe\xba\xbe" + names + "\x01"; }

TEST(ModuleHints, NamesFoundInClassesAndServiceFilesLeadToTheirModules) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "in/lib");
  writeJar(dir / "in/app.jar",
           {{"com/example/App.class", classBytes("java/lang/Object\x01javax/tools/ToolProvider\x01getSystemJavaCompiler")},
            {"com/example/Names.class", classBytes("sun.misc.Unsafe\x01javax.naming.InitialContext")},
            // A string without a class after it, or in a resource, leads nowhere.
            {"com/example/Plain.class", classBytes("java/sql/Date")},
            {"notes/javax.script.txt", "javax.script.ScriptEngineManager"}});
  writeJar(dir / "in/lib/zip.jar",
           {{"META-INF/services/javax.script.ScriptEngineFactory", "com.example.Engine\n"},
            {"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\n"},
            {"z/Zips.class", classBytes("java/nio/file/FileSystems\x01newFileSystem\x01sun.misc.Unsafe")}});
  writeJar(dir / "in/broken.jar", {});
  test::writeFile(dir / "in/broken.jar", "not a zip");

  std::vector<ModuleReach> reaches = modulesReachedByName(dir / "in", {"app.jar", "broken.jar", "lib/zip.jar"});
  EXPECT_EQ(describeReaches(reaches),
            "jdk.compiler (javax.tools.ToolProvider in app.jar), "
            "jdk.zipfs (FileSystems.newFileSystem in lib/zip.jar), "
            "jdk.unsupported (sun.misc.Unsafe named in a string in app.jar), "
            "java.scripting (a javax.script service in lib/zip.jar), "
            "java.naming (a javax.naming class named in a string in app.jar)");

  std::vector<ModuleReach> missing =
      missingModules(reaches, {"java.base", "java.compiler", "jdk.compiler", "java.scripting", "jdk.unsupported"});
  EXPECT_EQ(describeReaches(missing),
            "jdk.zipfs (FileSystems.newFileSystem in lib/zip.jar), java.naming (a javax.naming class named in a string in app.jar)");
  EXPECT_TRUE(modulesReachedByName(dir / "in", {}).empty());
}

}  // namespace
}  // namespace kvx::bundle
