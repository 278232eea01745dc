// Options files next to the launcher, and the option lists of the
// configuration that may name such files.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "run/diagnostic_log.h"
#include "params/java_parameters.h"
#include "base/text.h"
#include "base/utf.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/read_limits.h"

namespace kvx {

namespace {

constexpr std::string_view kReplaceClassPath = "-classpath ";
constexpr std::string_view kPrependClassPath = "-classpath/p ";
constexpr std::string_view kAppendClassPath = "-classpath/a ";
constexpr std::string_view kIncludeOptions = "-include-options ";

// A chain of distinct files deeper than this is taken for a runaway
// include rather than a real installation; it also keeps the stack safe.
constexpr size_t kMaxIncludeDepth = 64;

// The same file under another name (a link, "./", "..") is the same file.
std::string fileIdentity(const std::string& path) {
  return platform::resolveSymlinks(path).value_or(path);
}

// Marks a file as being read for as long as it is.
class ReadingGuard {
 public:
  ReadingGuard(std::vector<std::string>& files, std::string identity) : files_(files) {
    files_.push_back(std::move(identity));
  }
  ~ReadingGuard() { files_.pop_back(); }
  ReadingGuard(const ReadingGuard&) = delete;
  ReadingGuard& operator=(const ReadingGuard&) = delete;

 private:
  std::vector<std::string>& files_;
};

std::string replaceEveryTilde(const std::string& path) {
  if (path.find('~') == std::string::npos) return path;
  const std::string home = platform::homeDirectory();
  std::string result;
  for (char c : path) {
    if (c == '~') {
      result += home;
    } else {
      result += c;
    }
  }
  return result;
}

// Quotes let a path keep its blanks; they count only as a pair.
std::string withoutEnclosingQuotes(std::string path) {
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    return path.substr(1, path.size() - 2);
  }
  return path;
}

OptString prependToClassPath(std::string value, const OptString& classPath) {
  if (!classPath) return value;
  return value + ":" + *classPath;
}

OptString appendToClassPath(std::string value, const OptString& classPath) {
  if (!classPath) return value;
  return *classPath + ":" + value;
}

// The text of an options file, or nothing when it is missing, unreadable
// or not UTF-8 throughout; the trace says which.
std::optional<std::string> readOptionsText(const std::string& path) {
  std::string unreadable;
  std::optional<std::string> bytes =
      platform::readFile(path, platform::read_limit::kOptionsFile, &unreadable);
  if (!bytes) {
    if (platform::fileExists(path)) {
      KVX_TRACE("options file %@ cannot be read: %@", path.c_str(), unreadable.c_str());
    } else {
      KVX_TRACE("no options file at %@", path.c_str());
    }
    return std::nullopt;
  }
  if (!isValidUtf8(*bytes)) {
    KVX_TRACE("options file %@ is not valid UTF-8, ignored", path.c_str());
    return std::nullopt;
  }
  KVX_TRACE("read options file %@", path.c_str());
  return std::string(withoutByteOrderMark(*bytes));
}

}  // namespace

// Acts on one line of an options file that is neither blank nor a comment.
// Substitution comes first, so a variable may spell out a directive.
OptString JavaParameters::applyOptionLine(const std::string& line, const std::string& fileDirectory,
                                          StringList& options, OptString classPath) {
  std::string expanded = replaceVariables(line).value_or(line);
  std::string_view text = expanded;
  if (text.starts_with(kReplaceClassPath)) {
    return std::string(text.substr(kReplaceClassPath.size()));
  }
  if (text.starts_with(kPrependClassPath)) {
    return prependToClassPath(std::string(text.substr(kPrependClassPath.size())), classPath);
  }
  if (text.starts_with(kAppendClassPath)) {
    return appendToClassPath(std::string(text.substr(kAppendClassPath.size())), classPath);
  }
  if (text.starts_with(kIncludeOptions)) {
    std::string included = withoutEnclosingQuotes(std::string(text.substr(kIncludeOptions.size())));
    if (!platform::isAbsolutePath(included)) included = platform::joinPath(fileDirectory, included);
    return readOptionsFile(included, options, std::move(classPath));
  }
  options.push_back(std::move(expanded));
  return classPath;
}

// An include of a file that is being read already would never end, and a
// chain past the bound is cut as well; both are skipped, not fatal.
bool JavaParameters::mayStartReading(const std::string& identity, const std::string& filePath) const {
  if (std::find(filesBeingRead_.begin(), filesBeingRead_.end(), identity) != filesBeingRead_.end()) {
    KVX_TRACE("option file %@ is already being read, include skipped", filePath.c_str());
    return false;
  }
  if (filesBeingRead_.size() >= kMaxIncludeDepth) {
    KVX_TRACE("option file %@ is nested too deeply, include skipped", filePath.c_str());
    return false;
  }
  return true;
}

OptString JavaParameters::readOptionsFile(const OptString& path, StringList& options, OptString classPath) {
  if (!path) return classPath;
  return readOptionsFileAt(replaceEveryTilde(replaceVariables(path).value_or(*path)), options,
                           std::move(classPath));
}

OptString JavaParameters::readOptionsFileAt(const std::string& filePath, StringList& options,
                                            OptString classPath) {
  KVX_TRACE("option file %@", filePath.c_str());

  const std::string identity = fileIdentity(filePath);
  if (!mayStartReading(identity, filePath)) return classPath;
  std::optional<std::string> text = readOptionsText(filePath);
  if (!text) return classPath;
  ReadingGuard guard(filesBeingRead_, identity);

  const std::string fileDirectory = platform::deletingLastPathComponent(filePath);
  for (std::string_view rawLine : splitAtAny(*text, "\r\n")) {
    const std::string line(trimBlanks(rawLine));
    KVX_TRACE("option %@", line.c_str());
    if (!line.empty() && line[0] != '#') {
      classPath = applyOptionLine(line, fileDirectory, options, std::move(classPath));
    }
  }
  return classPath;
}

OptString JavaParameters::addPredefinedOptions(const std::optional<StringList>& list, StringList& options,
                                         OptString classPath) {
  if (!list) return classPath;
  for (const std::string& element : *list) {
    if (!element.starts_with(kIncludeOptions)) {
      options.push_back(replaceVariables(element).value_or(element));
      continue;
    }
    const std::string named = element.substr(kIncludeOptions.size());
    std::string included = withoutEnclosingQuotes(replaceVariables(named).value_or(named));
    if (!platform::isAbsolutePath(included)) {
      included = platform::joinPath(run_.launcherDirInApp.value_or(""), included);
    }
    classPath = readOptionsFile(included, options, std::move(classPath));
  }
  return classPath;
}

}  // namespace kvx
