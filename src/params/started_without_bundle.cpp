// Whether the system knows the launcher as an application with a bundle.
#include <chrono>
#include <thread>

#include "params/java_parameters.h"
#include "platform/running_application.h"

namespace kvx {

bool isStartedWithoutBundle() {
  if (platform::currentApplicationBundleIdentifier()) return false;
  // The system may register the application a moment after it started: ask
  // once more, after a short wait, and then take the answer.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return !platform::currentApplicationBundleIdentifier();
}

}  // namespace kvx
