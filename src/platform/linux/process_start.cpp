#include "platform/process_start.h"

#include <errno.h>
#include <unistd.h>

#include "platform/linux/child_setup.h"
#include "platform/linux/descriptor_io.h"
#include "platform/linux/system_error.h"
#include "platform/process_wait.h"

extern char** environ;

namespace kvx::platform::detail {
namespace {

void closeIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

int failed() { return errno != 0 ? errno : EIO; }

// What a child that could not be set up or execute the program tells the parent.
[[noreturn]] void reportAndEnd(int reportEnd, int failure) {
  ssize_t ignoredCount = write(reportEnd, &failure, sizeof failure);
  (void)ignoredCount;
  _exit(127);
}

}  // namespace

StartedProcess startProcess(const ChildOptions& options, int alsoKept) {
  StartedProcess started;
  int output[2] = {-1, -1}, errors[2] = {-1, -1};
  if (options.streams == ChildStreams::Captured &&
      (!pipeAboveStandardStreams(output) || !pipeAboveStandardStreams(errors))) {
    started.failure = failed();
    for (int fd : {output[0], output[1], errors[0], errors[1]}) closeIfOpen(fd);
    return started;
  }
  started.pid = fork();
  if (started.pid == 0) {
    started.failure = setUpChild(options, output[1], errors[1], alsoKept);
    for (int fd : {output[0], output[1], errors[0], errors[1]}) closeIfOpen(fd);
    return started;
  }
  if (started.pid < 0) started.failure = failed();
  // The child has its own copies of the write ends; ours would keep the pipes open.
  closeIfOpen(output[1]);
  closeIfOpen(errors[1]);
  if (started.pid < 0) {
    closeIfOpen(output[0]);
    closeIfOpen(errors[0]);
    return started;
  }
  started.output = output[0];
  started.errors = errors[0];
  return started;
}

ProgramStart::ProgramStart(std::string program, std::vector<std::string> arguments, ChildOptions options)
    : program_(std::move(program)), arguments_(std::move(arguments)), options_(options) {
  argv_.reserve(arguments_.size() + 2);
  argv_.push_back(program_.data());
  for (std::string& argument : arguments_) argv_.push_back(argument.data());
  argv_.push_back(nullptr);
}

StartedProcess ProgramStart::start() const {
  // The report pipe reaches its end without a word when the program has
  // been executed (close-on-exec).
  int report[2];
  if (!pipeAboveStandardStreams(report)) return StartedProcess{-1, -1, -1, failed()};
  StartedProcess started = startProcess(options_, report[1]);
  if (started.pid == 0) {
    if (started.failure != 0) reportAndEnd(report[1], started.failure);
    close(report[0]);
    execve(program_.c_str(), argv_.data(), environ);
    reportAndEnd(report[1], failed());
  }
  close(report[1]);
  int failure = 0;
  ssize_t n;
  while ((n = read(report[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  if (started.pid < 0 || n != static_cast<ssize_t>(sizeof failure)) return started;
  int status = 0;
  (void)waitForChild(started.pid, &status, -1);
  closeIfOpen(started.output);
  closeIfOpen(started.errors);
  return StartedProcess{-1, -1, -1, failure};
}

std::string startFailure(const std::string& program, int failure) {
  return program + ": could not be started: " + systemErrorText(failure);
}

}  // namespace kvx::platform::detail
