// Making a directory tree ready to be packed into an archive that installs
// it: the same modes and times from run to run, and what it holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvx::platform {

struct ArchiveTree {
  // Regular files, relative to the root, in byte order.
  std::vector<std::string> files;
  // Each file rounded up to whole KiB, and one KiB for each directory and
  // link, as package managers count installed size.
  uint64_t kibibytes = 0;
};

// Walks root without following links. Directories become 0755, regular
// files 0755 when any execute bit was set and 0644 otherwise, so that the
// packager's umask and the input's accidents never reach the package; when
// a time is given, every entry (links included) takes it as its modification
// and access time. Anything other than a file, a directory or a link is an
// error naming it, with the system's reason. With librariesExecutable, a
// file named like a shared library (NAME.so, NAME.so.N) is 0755 too, as
// rpm-based systems expect; Debian's rule is the other.
std::optional<ArchiveTree> prepareArchiveTree(const std::string& root, std::optional<int64_t> time,
                                              std::string* error, bool librariesExecutable = false);

}  // namespace kvx::platform
