// Options files next to the launcher, and the option lists of the
// configuration that may name such files.
#include <string>
#include <string_view>

#include "base/text.h"
#include "params/java_parameters.h"
#include "platform/paths.h"
#include "run/diagnostic_log.h"

namespace kvx {

namespace {

constexpr std::string_view kReplaceClassPath = "-classpath ";
constexpr std::string_view kPrependClassPath = "-classpath/p ";
constexpr std::string_view kAppendClassPath = "-classpath/a ";
constexpr std::string_view kIncludeOptions = "-include-options ";

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

// The file an include names, once its variables are replaced: a relative
// name is taken from base, a directory the launcher derived itself, which is
// used as it is (a folder may be named "~" or "${…}").
std::string includedFile(const std::string& named, const std::string& base) {
  std::string path = replaceEveryTilde(withoutEnclosingQuotes(named));
  return platform::isAbsolutePath(path) ? path : platform::joinPath(base, path);
}

}  // namespace

// Acts on one line of an options file that is neither blank nor a comment.
// Substitution comes first, so a variable may spell out a directive.
void JavaParameters::applyOptionLine(const std::string& line, const std::string& fileDirectory,
                                     StringList& options, ClassPathDraft& classPath) {
  std::string expanded = replaceVariables(line).value_or(line);
  std::string_view text = expanded;
  if (text.starts_with(kReplaceClassPath)) {
    classPath.replace(std::string(text.substr(kReplaceClassPath.size())));
  } else if (text.starts_with(kPrependClassPath)) {
    classPath.prepend(std::string(text.substr(kPrependClassPath.size())));
  } else if (text.starts_with(kAppendClassPath)) {
    classPath.append(text.substr(kAppendClassPath.size()));
  } else if (text.starts_with(kIncludeOptions)) {
    readOptionsFileAt(includedFile(std::string(text.substr(kIncludeOptions.size())), fileDirectory), options,
                      classPath);
  } else {
    options.push_back(std::move(expanded));
  }
}

OptString JavaParameters::readOptionsFile(const OptString& path, StringList& options, OptString classPath) {
  ClassPathDraft draft(std::move(classPath));
  readOptionsFileInto(path, options, draft);
  return draft.joined();
}

void JavaParameters::readOptionsFileInto(const OptString& path, StringList& options, ClassPathDraft& classPath) {
  if (!path) return;
  readOptionsFileAt(replaceEveryTilde(replaceVariables(path).value_or(*path)), options, classPath);
}

void JavaParameters::readOptionsFileAt(const std::string& filePath, StringList& options,
                                       ClassPathDraft& classPath) {
  KVX_TRACE("option file %@", filePath.c_str());
  pass_.read(filePath, [&](const std::string& text) {
    const std::string fileDirectory = platform::deletingLastPathComponent(filePath);
    for (std::string_view rawLine : splitAtAny(text, "\r\n")) {
      const std::string line(trimBlanks(rawLine));
      KVX_TRACE("option %@", line.c_str());
      if (!line.empty() && line[0] != '#') applyOptionLine(line, fileDirectory, options, classPath);
    }
  });
}

OptString JavaParameters::addPredefinedOptions(const std::optional<StringList>& list, StringList& options,
                                               OptString classPath) {
  ClassPathDraft draft(std::move(classPath));
  addPredefinedOptionsTo(list, options, draft);
  return draft.joined();
}

void JavaParameters::addPredefinedOptionsTo(const std::optional<StringList>& list, StringList& options,
                                            ClassPathDraft& classPath) {
  if (!list) return;
  for (const std::string& element : *list) {
    if (!element.starts_with(kIncludeOptions)) {
      options.push_back(replaceVariables(element).value_or(element));
      continue;
    }
    const std::string named = element.substr(kIncludeOptions.size());
    readOptionsFileAt(includedFile(replaceVariables(named).value_or(named), run_.launcherDirInApp.value_or("")),
                      options, classPath);
  }
}

}  // namespace kvx
