// Expands the Pack200-compressed jars of a runtime that ships with the
// application, with that runtime's own unpack200, before the runtime is used.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_lock.h"

namespace kvx {

class Unpacker {
 public:
  // Expands every "*.jar.pack" directly in lib and lib/ext of runtimeDirectory
  // (an absolute path) into its jar. True when all that still existed were
  // expanded, or there was nothing to do; false at the first failed tool run.
  // A tool that cannot be started raises
  // PlatformException. Starts in other processes that find packed files in
  // the same directory take turns (through the lock file "_kvx_unpack.lock"
  // there), and each expands what is left when its turn comes.
  static bool unpack(const std::string& runtimeDirectory);

  // Waits for this start's turn at runtimeDirectory, the same turn unpack
  // takes. nullopt where no lock can be had there; the caller then goes on
  // alone, as unpack does.
  static std::optional<platform::FileLock> takeTurn(const std::string& runtimeDirectory);

  // Appends subDir + "/" + name for each packed file directly in that
  // subdirectory of jreDir, in the order the directory lists them.
  static void addPackedFiles(std::vector<std::string>& list, const std::string& subDir,
                             const std::string& jreDir);
};

}  // namespace kvx
