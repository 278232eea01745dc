// The JDK whose jdeps and jlink make an application's runtime.
#pragma once

#include <optional>
#include <string>

namespace kvx::bundle {

struct Jdk {
  std::string home;
  std::string version;  // JAVA_VERSION of its release file

  std::string tool(const char* name) const { return home + "/bin/" + name; }
};

// The JDK named with --jdk, which must have bin/jlink and bin/jdeps and a
// release file naming its version. Without one: JAVA_HOME when it is such a
// JDK, else the newest such JDK among the installed runtimes. nullopt with
// one line in *error saying what is missing.
std::optional<Jdk> findJdk(const std::optional<std::string>& named, std::string* error);

}  // namespace kvx::bundle
