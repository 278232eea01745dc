// Runs a program (usually the built launcher) as a separate process, with
// its standard output and error captured, and reports how it ended.
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace kvx::test {

struct RunOptions {
  // Argument 0 as the program sees it; the path when not given.
  std::optional<std::string> argv0;
  // Variables set (a value) or removed (nullopt) for the program only.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
};

struct ProgramResult {
  // The exit status, or 128 + the signal that ended it.
  int status = -1;
  std::string out;
  std::string err;
  // From the start until the program had ended.
  double seconds = 0;
};

// A program started in the background; wait() collects it.
class RunningProgram {
 public:
  RunningProgram(const std::string& path, const std::vector<std::string>& args,
                 const RunOptions& options = {}) {
    std::vector<std::string> argvText{options.argv0.value_or(path)};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<std::string> envText = environmentWith(options.env);
    std::vector<char*> argv = pointers(argvText);
    std::vector<char*> envp = pointers(envText);
    outFile_ = captureFile();
    errFile_ = captureFile();
    start_ = std::chrono::steady_clock::now();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      int in = open("/dev/null", O_RDONLY);
      int out = open(outFile_.c_str(), O_WRONLY | O_TRUNC);
      int err = open(errFile_.c_str(), O_WRONLY | O_TRUNC);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      execve(path.c_str(), argv.data(), envp.data());
      _exit(127);
    }
  }
  ~RunningProgram() {
    if (!finished_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    unlink(outFile_.c_str());
    unlink(errFile_.c_str());
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t pid() const { return pid_; }

  ProgramResult wait() {
    int raw = 0;
    while (waitpid(pid_, &raw, 0) < 0) {
      if (errno != EINTR) throw std::runtime_error("waitpid failed");
    }
    finished_ = true;
    ProgramResult result;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    result.out = slurp(outFile_);
    result.err = slurp(errFile_);
    return result;
  }

 private:
  static std::vector<std::string> environmentWith(
      const std::vector<std::pair<std::string, std::optional<std::string>>>& changes) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
      std::string text = *entry;
      bool changed = false;
      for (const auto& change : changes) changed |= text.rfind(change.first + "=", 0) == 0;
      if (!changed) env.push_back(text);
    }
    for (const auto& change : changes) {
      if (change.second) env.push_back(change.first + "=" + *change.second);
    }
    return env;
  }
  static std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> list;
    for (std::string& text : texts) list.push_back(text.data());
    list.push_back(nullptr);
    return list;
  }
  static std::string captureFile() {
    std::string pattern = "/tmp/kvx-run-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    return pattern;
  }
  static std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  pid_t pid_ = -1;
  bool finished_ = false;
  std::string outFile_;
  std::string errFile_;
  std::chrono::steady_clock::time_point start_;
};

// Runs the program to its end.
inline ProgramResult runProgram(const std::string& path, const std::vector<std::string>& args,
                                const RunOptions& options = {}) {
  return RunningProgram(path, args, options).wait();
}

}  // namespace kvx::test
