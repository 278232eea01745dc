// One pass over the options files of a start: assembling the parameters is
// one, the search for a runtime override another. A file included again and
// again is read from disk once per pass, and what the includes of one pass
// take in is bounded, so that a few small files that each include the next
// one twice cannot make a start take hours.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/read_limits.h"

namespace kvx {

// The option text one pass takes in, a file counting each time it is read
// or included again. Four whole files at their own limit fit, so the
// installation's and the user's files are read in full whatever they hold;
// past it only runaway includes are left, and the files they would still
// bring in are skipped.
inline constexpr size_t kOptionTextPerPass = 4 * platform::read_limit::kOptionsFile;

class OptionsPass {
 public:
  explicit OptionsPass(size_t budget = kOptionTextPerPass) : budget_(budget) {}

  // Hands the text of the options file at path to readLines, unless the
  // file is to be skipped: missing, unreadable or not UTF-8, being read
  // already (it includes itself), nested too deeply, or past the pass's
  // budget. The trace says which. While readLines runs the file counts as
  // being read.
  template <typename ReadLines>
  void read(const std::string& path, ReadLines&& readLines) {
    const std::string* text = enter(path);
    if (!text) return;
    Leaving leaving{*this};
    readLines(*text);
  }

 private:
  struct Leaving {
    OptionsPass& pass;
    ~Leaving() { pass.filesBeingRead_.pop_back(); }
  };
  // One file, whatever names it was reached by; read at its first use.
  struct File {
    bool read = false;
    // Absent when it cannot be used; problem then says why.
    std::optional<std::string> text;
    std::string problem;
  };

  const std::string* enter(const std::string& path);
  size_t fileAt(const std::string& path);
  const File& readOnce(size_t file, const std::string& path);
  bool mayNest(size_t file, const std::string& path) const;
  bool mayTakeIn(size_t bytes, const std::string& path);

  // Numbers into files_: a file reached by a path or a name met before is
  // found again without asking the file system.
  std::deque<File> files_;
  std::unordered_map<std::string, size_t> fileByPath_;
  std::unordered_map<std::string, size_t> fileByIdentity_;
  // The files being read right now, outermost first.
  std::vector<size_t> filesBeingRead_;
  size_t budget_;
  size_t takenIn_ = 0;
};

}  // namespace kvx
