#include "bundle/jar_manifest.h"

#include <gtest/gtest.h>

namespace kvx::bundle {
namespace {

TEST(JarManifest, MainAttributesAsTheJarFormatWritesThem) {
  struct Case {
    const char* manifest;
    std::optional<std::string> mainClass;
  } cases[] = {
      {"Manifest-Version: 1.0\r\nMain-Class: com.example.Hello\r\n\r\n", "com.example.Hello"},
      {"Manifest-Version: 1.0\nmain-class:   Hello  \n", "Hello"},
      // Lines are wrapped at 72 bytes; the continuation begins with one space.
      {"Main-Class: com.example.very.long.pack\r\n age.name.Main\r\nX: y\r\n", "com.example.very.long.package.name.Main"},
      {"Manifest-Version: 1.0\r\rMain-Class: in.a.later.Section\r", std::nullopt},
      {"Manifest-Version: 1.0\n\nName: Main-Class\nMain-Class: NotMain\n", std::nullopt},
      {"Main-Class-Path: Other\nMain-Class:\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mainAttribute(c.manifest, "Main-Class"), c.mainClass) << c.manifest;
  }
}

}  // namespace
}  // namespace kvx::bundle
