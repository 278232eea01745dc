#include "jdk_location.h"

#include "java_runtime/runtime_names.h"
#include "java_version.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx::bundle {
namespace {

// The JDK at home, or nullopt with what it lacks in *lack.
std::optional<Jdk> jdkAt(const std::string& home, std::string* lack) {
  if (!platform::isDirectory(home)) {
    *lack = "no such directory";
    return std::nullopt;
  }
  for (const char* tool : {"jlink", "jdeps"}) {
    if (!platform::isExecutableFile(home + "/bin/" + tool)) {
      *lack = std::string("it has no bin/") + tool + " (a runtime rather than a JDK?)";
      return std::nullopt;
    }
  }
  std::optional<std::string> version = releaseJavaVersion(home);
  if (!version) {
    *lack = "its release file names no JAVA_VERSION";
    return std::nullopt;
  }
  return Jdk{home, *version};
}

std::optional<Jdk> newestInstalledJdk() {
  std::optional<Jdk> newest;
  std::optional<std::vector<std::string>> names = platform::listDirectory(kSystemRuntimeDirectory);
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    std::string lack;
    std::optional<Jdk> jdk = jdkAt(platform::joinPath(kSystemRuntimeDirectory, name), &lack);
    if (jdk && (!newest || isNewerVersion(jdk->version, newest->version))) newest = jdk;
  }
  return newest;
}

}  // namespace

std::optional<Jdk> findJdk(const std::optional<std::string>& named, std::string* error) {
  std::string lack;
  if (named) {
    std::optional<Jdk> jdk = jdkAt(*named, &lack);
    if (!jdk) *error = "--jdk " + *named + ": " + lack;
    return jdk;
  }
  if (std::optional<std::string> javaHome = platform::getEnv("JAVA_HOME")) {
    if (std::optional<Jdk> jdk = jdkAt(*javaHome, &lack)) return jdk;
  }
  if (std::optional<Jdk> jdk = newestInstalledJdk()) return jdk;
  *error = std::string("no JDK with jlink: JAVA_HOME names none and ") + kSystemRuntimeDirectory +
           " holds none; name one with --jdk, ship a runtime with --runtime-image or none with --no-runtime";
  return std::nullopt;
}

}  // namespace kvx::bundle
