#include "params/options_pass.h"

#include <algorithm>

#include "base/utf.h"
#include "platform/files.h"
#include "platform/process.h"
#include "run/diagnostic_log.h"

namespace kvx {
namespace {

// A chain of distinct files deeper than this is taken for a runaway
// include rather than a real installation; it also keeps the stack safe.
constexpr size_t kMaxIncludeDepth = 64;

}  // namespace

const std::string* OptionsPass::enter(const std::string& path) {
  const size_t file = fileAt(path);
  if (!mayNest(file, path)) return nullptr;
  const File& known = readOnce(file, path);
  if (!known.text || !mayTakeIn(known.text->size(), path)) return nullptr;
  filesBeingRead_.push_back(file);
  return &*known.text;
}

// The same file under another name (a link, "./", "..") is the same file.
size_t OptionsPass::fileAt(const std::string& path) {
  if (auto known = fileByPath_.find(path); known != fileByPath_.end()) return known->second;
  const std::string identity = platform::resolveSymlinks(path).value_or(path);
  auto [byIdentity, added] = fileByIdentity_.emplace(identity, files_.size());
  if (added) files_.emplace_back();
  fileByPath_.emplace(path, byIdentity->second);
  return byIdentity->second;
}

// Only regular files are read (platform::readFile): a FIFO, a device or a
// directory named as an options file is unreadable, with the reason traced.
const OptionsPass::File& OptionsPass::readOnce(size_t number, const std::string& path) {
  File& file = files_[number];
  if (file.read) {
    if (file.text) {
      KVX_TRACE("options file %@ was read before in this pass, its text is used again", path.c_str());
    } else {
      KVX_TRACE("options file %@ skipped as before in this pass: %@", path.c_str(), file.problem.c_str());
    }
    return file;
  }
  file.read = true;
  std::string unreadable;
  std::optional<std::string> bytes =
      platform::readFile(path, platform::read_limit::kOptionsFile, &unreadable);
  if (!bytes) {
    if (platform::fileExists(path)) {
      file.problem = "cannot be read: " + unreadable;
      KVX_TRACE("options file %@ cannot be read: %@", path.c_str(), unreadable.c_str());
    } else {
      file.problem = "there is no such file";
      KVX_TRACE("no options file at %@", path.c_str());
    }
  } else if (!isValidUtf8(*bytes)) {
    file.problem = "not valid UTF-8";
    KVX_TRACE("options file %@ is not valid UTF-8, ignored", path.c_str());
  } else {
    file.text.emplace(withoutByteOrderMark(*bytes));
    KVX_TRACE("read options file %@", path.c_str());
  }
  return file;
}

// An include of a file that is being read already would never end, and a
// chain past the bound is cut as well; both are skipped, not fatal.
bool OptionsPass::mayNest(size_t file, const std::string& path) const {
  if (std::find(filesBeingRead_.begin(), filesBeingRead_.end(), file) != filesBeingRead_.end()) {
    KVX_TRACE("option file %@ is already being read, include skipped", path.c_str());
    return false;
  }
  if (filesBeingRead_.size() >= kMaxIncludeDepth) {
    KVX_TRACE("option file %@ is nested too deeply, include skipped", path.c_str());
    return false;
  }
  return true;
}

bool OptionsPass::mayTakeIn(size_t bytes, const std::string& path) {
  if (bytes > budget_ - takenIn_) {
    KVX_TRACE("option file %@ skipped: the options files of this pass would exceed %zu bytes in all, "
              "a file counting each time it is included",
              path.c_str(), budget_);
    return false;
  }
  takenIn_ += bytes;
  return true;
}

}  // namespace kvx
