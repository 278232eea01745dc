// Options files next to the launcher, and the option lists of the
// configuration that may name such files.
#include <string>
#include <string_view>
#include <vector>

#include "launcher/diagnostic_log.h"
#include "launcher/launcher.h"
#include "base/text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace kvx {

namespace {

constexpr std::string_view kReplaceClassPath = "-classpath ";
constexpr std::string_view kPrependClassPath = "-classpath/p ";
constexpr std::string_view kAppendClassPath = "-classpath/a ";
constexpr std::string_view kIncludeOptions = "-include-options ";

// A chain of distinct files deeper than this is taken for a runaway
// include rather than a real installation; it also keeps the stack safe.
constexpr size_t kMaxIncludeDepth = 64;

// The files being read right now, outermost first. Only the first thread
// reads options files, so one list for the process is enough.
std::vector<std::string>& filesBeingRead() {
  static std::vector<std::string> files;
  return files;
}

// Marks a file as being read for as long as it is.
class ReadingGuard {
 public:
  explicit ReadingGuard(std::string identity) { filesBeingRead().push_back(std::move(identity)); }
  ~ReadingGuard() { filesBeingRead().pop_back(); }
  ReadingGuard(const ReadingGuard&) = delete;
  ReadingGuard& operator=(const ReadingGuard&) = delete;
};

// The same file under another name (a link, "./", "..") is the same file.
std::string fileIdentity(const std::string& path) {
  return platform::resolveSymlinks(path).value_or(path);
}

bool isBeingRead(const std::string& identity) {
  for (const std::string& file : filesBeingRead()) {
    if (file == identity) return true;
  }
  return false;
}

// An include of a file that is being read already would never end, and a
// chain past the bound is cut as well; both are skipped, not fatal.
bool mayStartReading(const std::string& identity, const std::string& filePath) {
  if (isBeingRead(identity)) {
    KVX_TRACE("option file %@ is already being read, include skipped", filePath.c_str());
    return false;
  }
  if (filesBeingRead().size() >= kMaxIncludeDepth) {
    KVX_TRACE("option file %@ is nested too deeply, include skipped", filePath.c_str());
    return false;
  }
  return true;
}

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
  std::optional<std::string> bytes = platform::readFile(path);
  if (!bytes) {
    if (platform::fileExists(path)) {
      KVX_TRACE("options file %@ cannot be read", path.c_str());
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

// Acts on one line of an options file that is neither blank nor a comment.
// Substitution comes first, so a variable may spell out a directive.
OptString applyOptionLine(Launcher& launcher, const std::string& line,
                          const std::string& fileDirectory, StringList& options,
                          OptString classPath) {
  std::string expanded = launcher.replaceVariables(line).value_or(line);
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
    return launcher.readOptionsFile(included, options, std::move(classPath));
  }
  options.push_back(std::move(expanded));
  return classPath;
}

}  // namespace

OptString Launcher::readOptionsFile(const OptString& path, StringList& options, OptString classPath) {
  if (!path) return classPath;
  const std::string filePath = replaceEveryTilde(replaceVariables(path).value_or(*path));
  KVX_TRACE("option file %@", filePath.c_str());

  const std::string identity = fileIdentity(filePath);
  if (!mayStartReading(identity, filePath)) return classPath;
  std::optional<std::string> text = readOptionsText(filePath);
  if (!text) return classPath;
  ReadingGuard guard(identity);

  const std::string fileDirectory = platform::deletingLastPathComponent(filePath);
  std::string_view rest = *text;
  for (;;) {
    size_t end = rest.find_first_of("\r\n");
    const std::string line(trimBlanks(rest.substr(0, end)));
    KVX_TRACE("option %@", line.c_str());
    if (!line.empty() && line[0] != '#') {
      classPath = applyOptionLine(*this, line, fileDirectory, options, std::move(classPath));
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return classPath;
}

OptString Launcher::addPredefinedOptions(const std::optional<StringList>& list, StringList& options,
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
      included = platform::joinPath(s_launcherDirInApp.value_or(""), included);
    }
    classPath = readOptionsFile(included, options, std::move(classPath));
  }
  return classPath;
}

}  // namespace kvx
