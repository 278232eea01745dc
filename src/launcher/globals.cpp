#include "launcher/globals.h"

extern "C" {
__attribute__((visibility("default"))) bool g_cli = false;
__attribute__((visibility("default"))) JLI_Launch_t JLI_LaunchFxnPtr = nullptr;
__attribute__((visibility("default"))) char* launchJavaVersion = nullptr;
}

namespace kvx {

const plist::Value* s_infoDictionary = nullptr;
std::optional<std::string> s_mainBundlePath;
std::optional<std::string> s_launcherDirInApp;
std::optional<std::string> s_launcherDirAndName;
std::optional<std::string> s_appRootDir;
bool s_guiLauncher = true;
std::optional<std::string> s_serviceMode;
std::atomic<int32_t> gChildPid{0};
char kUnknownJavaVersion[] = "1.7.0";

const plist::Value* configValue(std::string_view key) {
  return s_infoDictionary ? s_infoDictionary->get(key) : nullptr;
}

const plist::Value* javaVMValue(std::string_view key) {
  const plist::Value* javaVM = configValue("JavaVM");
  return javaVM ? javaVM->get(key) : nullptr;
}

}  // namespace kvx
