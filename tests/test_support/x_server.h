// An Xvfb server for the tests that show windows and dialogs.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace kvx::test {

// An X server on a display of its own for as long as the object lives.
class XServer {
 public:
  XServer() {
    if (!std::filesystem::exists("/usr/bin/Xvfb")) return;
    for (int number = 90 + getpid() % 400; number < 600 && pid_ <= 0; number += 7) {
      std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
      if (std::filesystem::exists(socket)) continue;
      display_ = ":" + std::to_string(number);
      pid_ = fork();
      if (pid_ == 0) {
        execl("/usr/bin/Xvfb", "Xvfb", display_.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
              static_cast<char*>(nullptr));
        _exit(127);
      }
      for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      if (!std::filesystem::exists(socket)) stop();
    }
  }
  ~XServer() { stop(); }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  bool running() const { return pid_ > 0; }
  const std::string& display() const { return display_; }

 private:
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace kvx::test
