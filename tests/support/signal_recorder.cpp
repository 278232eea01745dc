// Stands in for an application started on our behalf. It writes, to the file
// that SIGNAL_RECORDER_FILE names, its pid, parent, session and arguments,
// then waits for SIGTERM, SIGINT or SIGHUP and appends "signal=<number>", or
// after SIGNAL_RECORDER_SECONDS (default 20; may be fractional) appends
// "timeout". Each line ends with the time it was written ("at=<ns>",
// CLOCK_MONOTONIC). The first part appears whole, through a rename.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

long long monotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void append(const std::string& path, const std::string& line) {
  std::ofstream(path, std::ios::app) << line << " at=" << monotonicNanoseconds() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  // Blocked before anything else, so that no signal is lost before the wait.
  sigset_t watched;
  sigemptyset(&watched);
  sigaddset(&watched, SIGTERM);
  sigaddset(&watched, SIGINT);
  sigaddset(&watched, SIGHUP);
  sigprocmask(SIG_BLOCK, &watched, nullptr);

  const char* record = getenv("SIGNAL_RECORDER_FILE");
  if (!record) return 2;
  std::string path = record;
  {
    std::ofstream out(path + ".part");
    out << "pid=" << getpid() << "\nppid=" << getppid() << "\nsid=" << getsid(0)
        << "\nargc=" << argc - 1 << "\n";
    for (int i = 1; i < argc; ++i) out << "arg=" << argv[i] << "\n";
  }
  rename((path + ".part").c_str(), path.c_str());

  const char* secondsText = getenv("SIGNAL_RECORDER_SECONDS");
  double seconds = secondsText ? atof(secondsText) : 20.0;
  timespec timeout;
  timeout.tv_sec = static_cast<time_t>(seconds);
  timeout.tv_nsec = static_cast<long>((seconds - static_cast<double>(timeout.tv_sec)) * 1e9);
  int signal = sigtimedwait(&watched, nullptr, &timeout);
  append(path, signal > 0 ? "signal=" + std::to_string(signal) : std::string("timeout"));
  return 0;
}
