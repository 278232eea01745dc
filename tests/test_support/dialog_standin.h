// A stand-in for a dialog program: a script on PATH that records the
// arguments it was started with, one per line, in a file beside it.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "test_support/temp_dir.h"

namespace kvx::test {

// Writes dir/name, which records its arguments in dir/name.args.
inline std::string writeDialogStandin(const std::string& dir, const std::string& name) {
  std::string script = dir + "/" + name;
  std::string record = script + ".args";
  // Written aside and moved, so that a reader never sees half a record.
  writeFile(script, "#!/bin/sh\nPATH=/usr/bin:/bin\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + record +
                        ".part'\nmv '" + record + ".part' '" + record + "'\n");
  chmod(script.c_str(), 0755);
  return record;
}

// The file's content once it exists; "<missing>" when it has not appeared
// within a few seconds.
inline std::string waitForFile(const std::string& path) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  struct stat st;
  while (stat(path.c_str(), &st) != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return readFileOrMissing(path);
}

}  // namespace kvx::test
